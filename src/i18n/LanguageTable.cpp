#include "i18n/LanguageTable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "i18n/DefaultTexts.h"
#include "i18n/LanguageFile.h"
#include "i18n/TranslatableWindow.h"
#include "textfiles/TextFile.h"

namespace {

namespace fs = std::filesystem;

const std::string kEmpty;

bool ValidIndex(int index)
{
    return index >= 0 && index < kLanguageCount;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// A language is offered when its file can be read and nobody holds an exclusive lock
// on it (a translator's editor writing it). A read-only installed copy is offered to
// every user. Only an existing regular file counts: O_NONBLOCK keeps a FIFO from
// stopping us.
bool CanOpenForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    bool usable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (usable) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0)
            ::flock(fd, LOCK_UN);
        else if (errno == EWOULDBLOCK)
            usable = false;
    }
    ::close(fd);
    return usable;
}

} // namespace

std::string LabelText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != '&')
            out += c;
    if (out.size() >= 3 && out.compare(out.size() - 3, 3, "...") == 0)
        out.resize(out.size() - 3);
    while (!out.empty() && out.back() == ':')
        out.pop_back();
    return out;
}

void LanguageTable::SetDefault(int key, const std::string& text)
{
    const int k = LanguageKeyIndex(key);
    if (k < 0)
        return;
    std::vector<std::string>& defaults = texts_[kEnglishLanguage];
    defaults.resize(static_cast<std::size_t>(kLanguageKeyCount));
    defaults[static_cast<std::size_t>(k)] = text;
}

void LanguageTable::ClearDefaults()
{
    texts_[kEnglishLanguage].assign(static_cast<std::size_t>(kLanguageKeyCount), std::string());
}

void LanguageTable::UseBuiltInDefaults()
{
    texts_[kEnglishLanguage] = AllDefaultTexts();
}

void LanguageTable::ScanLanguageFiles(const std::string& folder)
{
    folder_ = folder;
    for (int i = 1; i < kLanguageCount; ++i)
        available_[static_cast<std::size_t>(i)] = CanOpenForReading(LanguageFilePath(i));
}

std::string LanguageTable::LanguageFilePath(int index) const
{
    if (!ValidIndex(index))
        return std::string();
    const std::string name = kLanguageNames[static_cast<std::size_t>(index)].fileName;
    const fs::path folder(folder_);
    std::error_code ec;
    if (fs::exists(folder / name, ec))
        return (folder / name).string();
    // The same name in other letter case; the smallest such name, so that the choice
    // does not depend on the order the folder lists its entries in.
    std::string found;
    for (fs::directory_iterator it(folder_.empty() ? fs::path(".") : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (EqualsIgnoringCase(entry, name) && (found.empty() || entry < found))
            found = entry;
    }
    return (folder / (found.empty() ? name : found)).string();
}

bool LanguageTable::LoadLanguage(int index)
{
    if (!ValidIndex(index))
        return false;
    std::string bytes;
    if (!ReadLanguageFileBytes(LanguageFilePath(index), bytes))
        return false;
    return LoadLanguageBytes(index, bytes);
}

bool LanguageTable::LoadLanguageBytes(int index, const std::string& bytes)
{
    if (!ValidIndex(index) || bytes.size() > kMaxLanguageFileBytes)
        return false;
    texts_[static_cast<std::size_t>(index)] = ParseLanguageText(DecodeTextBytes(bytes)).texts;
    return true;
}

void LanguageTable::SelectLanguage(int index)
{
    if (!IsAvailable(index))
        return;
    LoadLanguage(index);
    current_ = index;
}

void LanguageTable::SetAvailable(int index, bool available)
{
    if (ValidIndex(index))
        available_[static_cast<std::size_t>(index)] = available;
}

bool LanguageTable::IsAvailable(int index) const
{
    return ValidIndex(index) && available_[static_cast<std::size_t>(index)];
}

const std::string& LanguageTable::StoredText(int index, int key) const
{
    const int k = LanguageKeyIndex(key);
    if (!ValidIndex(index) || k < 0)
        return kEmpty;
    const std::vector<std::string>& texts = texts_[static_cast<std::size_t>(index)];
    return static_cast<std::size_t>(k) < texts.size() ? texts[static_cast<std::size_t>(k)] : kEmpty;
}

std::string LanguageTable::Text(int key, bool forLabel) const
{
    if (!IsAvailable(current_) || LanguageKeyIndex(key) < 0)
        return kMissingText;
    std::string text = StoredText(current_, key);
    if (text.empty())
        text = StoredText(kEnglishLanguage, key);
    return forLabel ? LabelText(text) : text;
}

void LanguageTable::TranslateWindow(CTranslatableWindow& window, int controlId, int key, bool forLabel)
{
    if (LanguageKeyIndex(key) < 0)
        return;
    if (StoredText(kEnglishLanguage, key).empty())
        SetDefault(key, window.ControlText(controlId));
    std::string text = StoredText(current_, key);
    if (forLabel)
        text = LabelText(text);
    if (!text.empty())
        window.SetControlText(controlId, text);
}

void LanguageTable::TranslateDialog(CTranslatableWindow& window, std::span<const ControlKey> pairs,
                                    int captionKey)
{
    for (const ControlKey& pair : pairs)
        TranslateWindow(window, pair.controlId, pair.key, false);
    window.SetCaption(Text(captionKey, false));
}
