#include "model/SongList.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "platform/AtomicFile.h"
#include "platform/Collate.h"
#include "platform/Paths.h"


#include <algorithm>
#include <fstream>
#include <istream>
#include <string_view>
#include <system_error>

namespace {

// The longest line of the play-list file taken as a song: four fields, each
// far longer than any the service gives. A longer line is garbage and is
// skipped without being held.
constexpr size_t kMaxFileLine = 4096;

bool IsValid(const St_SongInfo& song) { return !song.id.empty() && !song.name.empty(); }

// The play-list file has no way to carry a tab or a line break inside a
// field; they are written as blanks so the file always reads back.
std::string FileField(const std::string& text) {
    std::string out = text;
    for (char& ch : out)
        if (ch == '\t' || ch == '\r' || ch == '\n') ch = ' ';
    return out;
}

// The byte that ends the lines of a play-list file: LF, or CR when the
// file holds CR but no LF. Leaves the stream at its start.
char LineEndOf(std::istream& in) {
    bool sawCr = false;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        const std::string_view chunk(buffer, static_cast<size_t>(in.gcount()));
        if (chunk.find('\n') != std::string_view::npos) {
            sawCr = false;
            break;
        }
        sawCr = sawCr || chunk.find('\r') != std::string_view::npos;
    }
    in.clear();
    in.seekg(0);
    return sawCr ? '\r' : '\n';
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Reads past a UTF-8 byte order mark; false (stream position undefined)
// when there is none.
bool StartsWithByteOrderMark(std::istream& in) {
    char mark[3] = {};
    const bool found = in.read(mark, 3) && std::string_view(mark, 3) == kByteOrderMark;
    in.clear();
    return found;
}

}  // namespace

CSongList::CSongList() : m_szFilePath(tonvik::platform::ProgramFolder() / "") {}

CSongList::CSongList(const CSongList& other) : CMFMutex(), m_szFilePath(tonvik::platform::ProgramFolder() / "") {
    CMFAutoLock lock(other);
    m_songs = other.m_songs;
    m_nPlayingIndex = other.m_nPlayingIndex;
}

CSongList& CSongList::operator=(const CSongList& other) {
    if (this == &other) return *this;
    std::vector<St_SongInfo> songs;
    int playing;
    {
        CMFAutoLock lock(other);
        songs = other.m_songs;
        playing = other.m_nPlayingIndex;
    }
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    m_songs = std::move(songs);
    m_nPlayingIndex = playing;
    return *this;
}

int CSongList::GetCount() const {
    CMFAutoLock lock(*this);
    return static_cast<int>(m_songs.size());
}

bool CSongList::IsEmpty() const { return GetCount() == 0; }

int CSongList::GetAt(int index, St_SongInfo& out) const {
    CMFAutoLock lock(*this);
    if (!InRange(index)) {
        Trace("CSongList::GetAt===Invalid param!");
        return 0;
    }
    out = m_songs[static_cast<size_t>(index)];
    return 1;
}

int CSongList::SetAt(int index, const St_SongInfo& song) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (!InRange(index)) {
        Trace("CSongList::SetAt===Invalid param!");
        return 0;
    }
    m_songs[static_cast<size_t>(index)] = song;
    return 1;
}

void CSongList::DropHeadLocked() {
    if (m_songs.empty()) return;
    m_songs.erase(m_songs.begin());
    if (m_nPlayingIndex == 0) m_nPlayingIndex = -1;
    else if (m_nPlayingIndex > 0) --m_nPlayingIndex;
}

void CSongList::Add(const St_SongInfo& song) {
    if (song.id.empty()) return;
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (static_cast<int>(m_songs.size()) >= kCapacity) {
        if (m_bNoEvict) return;
        DropHeadLocked();
    }
    m_songs.push_back(song);
}

int CSongList::AddList(const CSongList& other, bool allowDuplicates) {
    // Take a copy first, so two lists adding each other never wait on each other.
    const std::vector<St_SongInfo> incoming = other.Snapshot();
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    int added = 0;
    for (St_SongInfo song : incoming) {
        song.playing.clear();
        if (!IsValid(song)) continue;
        if (!allowDuplicates && FindSong(song.id) >= 0) continue;
        // A full list makes room only for a song it really takes.
        if (static_cast<int>(m_songs.size()) >= kCapacity) {
            if (m_bNoEvict) break;
            DropHeadLocked();
        }
        m_songs.push_back(std::move(song));
        ++added;
    }
    return added;
}

int CSongList::RemoveHead(St_SongInfo& out) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (m_songs.empty()) return 0;
    out = m_songs.front();
    DropHeadLocked();
    return 1;
}

int CSongList::RemoveAt(int index) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (!InRange(index)) return 0;
    m_songs.erase(m_songs.begin() + index);
    AdjustPlayingItem();
    return 1;
}

void CSongList::RemoveAll() {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    m_songs.clear();
    m_nPlayingIndex = -1;
}

bool CSongList::HasSong(const St_SongInfo& song) const { return FindSong(song.id) >= 0; }

int CSongList::FindSong(std::string_view id) const {
    CMFAutoLock lock(*this);
    for (size_t i = 0; i < m_songs.size(); ++i)
        if (m_songs[i].id == id) return static_cast<int>(i);
    return -1;
}

int CSongList::FindNextValid(int index, St_SongInfo& out) const {
    CMFAutoLock lock(*this);
    out.id.clear();
    if (!InRange(index)) return -1;
    const int count = static_cast<int>(m_songs.size());
    for (int step = 1; step < count; ++step) {
        const int candidate = (index + step) % count;
        if (!m_songs[static_cast<size_t>(candidate)].id.empty()) {
            out = m_songs[static_cast<size_t>(candidate)];
            return candidate;
        }
    }
    return -1;
}

void CSongList::ClearDuplicates() {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    for (size_t i = 0; i < m_songs.size(); ++i) {
        if (m_songs[i].id.empty()) continue;
        for (size_t j = i + 1; j < m_songs.size(); ++j)
            if (m_songs[j].id == m_songs[i].id) m_songs[j].id.clear();
    }
}

void CSongList::Compact() {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    std::erase_if(m_songs, [](const St_SongInfo& song) { return !IsValid(song); });
    AdjustPlayingItem();
}

int CSongList::CompactAndFindNext() {
    CMFAutoLock lock(*this);
    St_SongInfo next;
    FindNextValid(m_nPlayingIndex, next);
    Compact();
    if (next.id.empty()) return -1;
    return FindSong(next.id);
}

void CSongList::AdjustPlayingItem() {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    m_nPlayingIndex = -1;
    for (size_t i = 0; i < m_songs.size(); ++i) {
        if (m_songs[i].playing != kPlayingMark) continue;
        if (m_nPlayingIndex < 0) {
            m_nPlayingIndex = static_cast<int>(i);
        } else {
            m_songs[i].playing.clear();
            Trace("AdjustPlayingItem::More than one playing item!");
        }
    }
}

void CSongList::MoveUp(int index) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (!InRange(index)) {
        Trace("CSongList::MoveUp===Invalid param! %d", index);
        return;
    }
    if (m_songs.size() < 2) return;
    if (index == 0) std::rotate(m_songs.begin(), m_songs.begin() + 1, m_songs.end());
    else std::swap(m_songs[static_cast<size_t>(index)], m_songs[static_cast<size_t>(index - 1)]);
    AdjustPlayingItem();
}

void CSongList::MoveDown(int index) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (!InRange(index)) {
        Trace("CSongList::MoveDown===Invalid param!%d", index);
        return;
    }
    if (m_songs.size() < 2) return;
    if (index == static_cast<int>(m_songs.size()) - 1) std::rotate(m_songs.rbegin(), m_songs.rbegin() + 1, m_songs.rend());
    else std::swap(m_songs[static_cast<size_t>(index)], m_songs[static_cast<size_t>(index + 1)]);
    AdjustPlayingItem();
}

void CSongList::Sort(bool byName, bool ascending) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    struct Keyed {
        std::u16string key;
        St_SongInfo song;
    };
    // Insertion into an empty list: each song goes before the first one whose
    // key is greater than or equal to its own.
    std::vector<Keyed> sorted;
    sorted.reserve(m_songs.size());
    for (St_SongInfo& song : m_songs) {
        Keyed item{FromAnsi(byName ? song.name : song.singer).toStdU16String(), std::move(song)};
        auto at = std::find_if(sorted.begin(), sorted.end(), [&](const Keyed& other) {
            return tonvik::platform::CompareLocale(other.key, item.key) >= 0;
        });
        sorted.insert(at, std::move(item));
    }
    m_songs.clear();
    for (Keyed& item : sorted) m_songs.push_back(std::move(item.song));
    if (!ascending) std::reverse(m_songs.begin(), m_songs.end());
    AdjustPlayingItem();
}

void CSongList::SetFileName(std::string_view name) {
    CMFAutoLock lock(*this);
    m_szFilePath = m_szFilePath.parent_path() / (std::string(name) + ".xls");
}

void CSongList::SetFilePath(const std::filesystem::path& path) {
    CMFAutoLock lock(*this);
    m_szFilePath = path;
}

std::filesystem::path CSongList::GetFilePath() const {
    CMFAutoLock lock(*this);
    return m_szFilePath;
}

int CSongList::SaveToFile() const {
    std::string content;
    std::filesystem::path path;
    int lines = 0;
    {
        CMFAutoLock lock(*this);
        path = m_szFilePath;
        for (const St_SongInfo& song : m_songs) {
            content += FileField(song.id) + '\t' + FileField(song.name) + '\t' + FileField(song.singer) + '\t' +
                       FileField(song.album) + "\t\r\n";
            ++lines;
        }
    }
    if (lines == 0) {
        // Only a play-list file goes, never the folder an unnamed list points at.
        std::error_code ec;
        if (!std::filesystem::is_directory(path, ec)) std::filesystem::remove(path, ec);
        return 0;
    }
    // A first id that itself starts with a UTF-8 byte order mark would lose
    // it to the next load, which reads past the file's mark: such a file gets
    // a mark of its own in front.
    if (content.starts_with(kByteOrderMark)) content.insert(0, kByteOrderMark);
    if (!tonvik::platform::WriteFileAtomically(path, content)) {
        Trace("CSongList::SaveToFile===Can not write %s", path.c_str());
        return 0;
    }
    return lines;
}

int CSongList::LoadFromFile() {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    // Only a file is a play list: the path before SetFileName names the
    // program's folder, which must not empty the list.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_szFilePath, ec)) return 0;
    std::ifstream in(m_szFilePath, std::ios::binary);
    if (!in) return -1;
    RemoveAll();
    // Lines end with LF (after CR or not). A file written with nothing but
    // CR between its lines has no LF at all: there CR ends the lines.
    const char lineEnd = LineEndOf(in);
    // A UTF-8 byte order mark in front of the first id is not part of it.
    if (!StartsWithByteOrderMark(in)) in.seekg(0);

    std::streambuf& file = *in.rdbuf();
    std::string line;
    bool overlong = false;
    // A last line without its line end is not a line.
    for (int ch = file.sbumpc(); ch != std::char_traits<char>::eof(); ch = file.sbumpc()) {
        if (ch != lineEnd) {
            if (line.size() < kMaxFileLine) line += static_cast<char>(ch);
            else overlong = true;
            continue;
        }
        if (overlong) {
            Trace("CSongList::LoadFromFile===Skipped a line longer than %zu bytes", kMaxFileLine);
        } else {
            St_SongInfo song;
            std::string* fields[] = {&song.id, &song.name, &song.singer, &song.album};
            size_t field = 0, start = 0;
            for (size_t i = 0; i <= line.size() && field < std::size(fields); ++i) {
                if (i == line.size() || line[i] == '\t' || line[i] == '\r') {
                    *fields[field++] = line.substr(start, i - start);
                    start = i + 1;
                }
            }
            if (IsValid(song)) m_songs.push_back(std::move(song));
            if (static_cast<int>(m_songs.size()) >= m_nMaxCount) break;
        }
        line.clear();
        overlong = false;
    }
    return 1;
}

int CSongList::GetPlayingIndex() const {
    CMFAutoLock lock(*this);
    return m_nPlayingIndex;
}

void CSongList::SetNoEvict(bool noEvict) {
    CMFAutoLock lock(*this);
    m_bNoEvict = noEvict;
}

bool CSongList::GetNoEvict() const {
    CMFAutoLock lock(*this);
    return m_bNoEvict;
}

std::vector<St_SongInfo> CSongList::Snapshot() const {
    CMFAutoLock lock(*this);
    return m_songs;
}
