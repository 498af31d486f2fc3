// Saving the store so that the file on disk is always whole: the text goes to
// a temporary file beside the target, which then replaces it. And loading.
#include "hostkit/SettingsStore.h"

#include <atomic>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vantrel::host {

namespace {

// Paths in messages, as UTF-8 (a narrow path text may throw on Windows).
std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void SetError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueFile OpenFile(const std::filesystem::path& path, bool forWriting)
{
#ifdef _WIN32
    return UniqueFile(_wfopen(path.c_str(), forWriting ? L"wb" : L"rb"));
#else
    return UniqueFile(std::fopen(path.c_str(), forWriting ? "wb" : "rb"));
#endif
}

bool FlushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view content, std::string* why)
{
    UniqueFile file = OpenFile(path, true);
    if (!file) {
        *why = "cannot create " + PathText(path);
        return false;
    }
    if (std::fwrite(content.data(), 1, content.size(), file.get()) != content.size() || !FlushToDisk(file.get())) {
        *why = "cannot write " + PathText(path);
        return false;
    }
    if (std::fclose(file.release()) != 0) {
        *why = "cannot finish writing " + PathText(path);
        return false;
    }
    return true;
}

// Sixteen hex digits that differ between saves and between processes.
std::string UniqueToken()
{
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = std::random_device{}() ^ (uint64_t{std::random_device{}()} << 32);
    uint64_t value = seed + 0x9E3779B97F4A7C15ull * ++counter;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// Removes a temporary file it created, whatever else failed.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~TemporaryFile()
    {
        if (owned_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    void Own() { owned_ = true; }
    void Disown() { owned_ = false; }

private:
    std::filesystem::path path_;
    bool owned_ = false;
};

bool ReadWholeFile(const std::filesystem::path& path, std::string* content, std::string* why)
{
    UniqueFile file = OpenFile(path, false);
    if (!file) {
        *why = "cannot open " + PathText(path);
        return false;
    }
    std::string result;
    char buffer[16384];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got > 0) {
            if (result.size() + got > SettingsLimits::kMaxFileBytes) {
                *why = PathText(path) + " is too large for a settings file";
                return false;
            }
            result.append(buffer, got);
        }
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(file.get())) {
        *why = "cannot read " + PathText(path);
        return false;
    }
    *content = std::move(result);
    return true;
}

}  // namespace

bool SettingsStore::SaveToFile(const std::filesystem::path& target, std::string* error) const
{
    if (!target.has_filename()) {
        SetError(error, "no file name in " + PathText(target));
        return false;
    }
    const std::string content = Serialize();
    // A name of its own for every save: two consoles saving the same file at
    // once never write into each other's temporary file.
    std::filesystem::path temporaryPath;
    std::error_code status;
    for (int attempt = 0; attempt < 16 && temporaryPath.empty(); ++attempt) {
        std::filesystem::path candidate = target;
        candidate += ".tmp-" + UniqueToken();
        if (std::filesystem::symlink_status(candidate, status).type() == std::filesystem::file_type::not_found)
            temporaryPath = candidate;
    }
    if (temporaryPath.empty()) {
        SetError(error, "cannot save settings: no free name for a temporary file beside " + PathText(target));
        return false;
    }
    TemporaryFile temporary(temporaryPath);
    std::string why;
    temporary.Own();
    if (!WriteWholeFile(temporary.Path(), content, &why)) {
        SetError(error, "cannot save settings: " + why);
        return false;
    }
    std::error_code renameError;
    std::filesystem::rename(temporary.Path(), target, renameError);
    if (renameError) {
        SetError(error, "cannot save settings: cannot replace " + PathText(target) + ": " + renameError.message());
        return false;
    }
    temporary.Disown();
    return true;
}

bool SettingsStore::LoadFromFile(const std::filesystem::path& source, std::string* error)
{
    std::error_code status;
    const auto type = std::filesystem::status(source, status).type();
    if (type == std::filesystem::file_type::not_found) {
        Clear();
        return true;
    }
    std::string content;
    std::string why;
    if (type == std::filesystem::file_type::none) {
        why = "cannot examine " + PathText(source) + ": " + status.message();
    } else if (type != std::filesystem::file_type::regular) {
        why = PathText(source) + " is not a file";
    } else if (ReadWholeFile(source, &content, &why)) {
        return Deserialize(content, error);
    }
    Clear();
    SetError(error, "cannot load settings: " + why);
    return false;
}

}  // namespace vantrel::host
