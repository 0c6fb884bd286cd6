#pragma once
// Control and resource numbers of the update prompt. Each control's
// objectName is its number in decimal, so a host or a test can find it.

namespace patchwell {

inline constexpr int kIdOk = 1;
inline constexpr int kIdInstallNow = 1001;
inline constexpr int kIdNextStart = 1002;
inline constexpr int kIdChoiceLabel = 1007;
inline constexpr int kIdPicture = 1009;
inline constexpr int kIdNotes = 1010;
inline constexpr int kIdHeader = 1011;

inline constexpr int kBitmapPrompt = 106;

// Object names of the library's top-level windows.
inline constexpr const char* kPromptObjectName = "PatchwellUpdatePrompt";
inline constexpr const char* kMessageObjectName = "PatchwellMessage";

}  // namespace patchwell
