#include "platform/Collate.h"

#include <unicode/ucol.h>
#include <unicode/uscript.h>

#include <memory>

namespace tonvik::platform {
namespace {

struct CollatorDeleter {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorDeleter>;

CollatorPtr OpenChineseCollator() {
    UErrorCode status = U_ZERO_ERROR;
    CollatorPtr collator(ucol_open("zh", &status));
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        collator.reset(ucol_open("", &status));
        if (U_FAILURE(status)) return nullptr;
    }
    // The Chinese tailoring puts Han first; the system's order has Latin first.
    const int32_t order[] = {USCRIPT_LATIN, USCRIPT_HAN};
    status = U_ZERO_ERROR;
    ucol_setReorderCodes(collator.get(), order, 2, &status);
    return collator;
}

}  // namespace

int CompareLocale(std::u16string_view a, std::u16string_view b) {
    // A collator is not to be shared between threads: each keeps its own.
    thread_local CollatorPtr collator = OpenChineseCollator();
    if (!collator) return a.compare(b);
    const UCollationResult result =
        ucol_strcoll(collator.get(), reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                     reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace tonvik::platform
