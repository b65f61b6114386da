#include "engine/run_journal.h"

#include "catalog/text/codepage.h"
#include "engine/path_text.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "tunvale-journal";
constexpr std::string_view kVersion = "1";
constexpr std::string_view kExtension = ".journal";

std::tm utcNow(long long &milliseconds)
{
    const auto now = std::chrono::system_clock::now();
    milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &seconds);
#else
    gmtime_r(&seconds, &tm);
#endif
    return tm;
}

std::string formatTime(const std::tm &tm, const char *format)
{
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
    return std::string(buffer, n);
}

std::string nowText()
{
    long long ms = 0;
    return formatTime(utcNow(ms), "%Y-%m-%d %H:%M:%S");
}

int processId()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

// Hands the written line to the file system (enough to survive the process being killed).
void flushToSystem(std::FILE *file)
{
    std::fflush(file);
}

// Hands the written line to the file system and on to the disk.
void flushThrough(std::FILE *file)
{
    std::fflush(file);
#ifdef _WIN32
    _commit(_fileno(file));
#else
    ::fdatasync(::fileno(file));
#endif
}

fs::path mp3Form(const fs::path &destination)
{
    fs::path converted = destination;
    converted.replace_extension(".mp3");
    return converted;
}

bool present(const fs::path &path)
{
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

std::int32_t number(const std::string &text)
{
    return static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

} // namespace

fs::path journalFolder()
{
#ifdef _WIN32
    if (const wchar_t *local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return fs::path(local) / L"Tunvale";
    return {};
#else
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return fs::path(state) / "tunvale";
    if (const char *home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local" / "state" / "tunvale";
    return {};
#endif
}

std::string escapeJournalValue(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == '%') {
            text += '%';
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        } else {
            text += c;
        }
    }
    return text;
}

std::string unescapeJournalValue(std::string_view text)
{
    const auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

RunJournal::~RunJournal()
{
    if (m_file)
        std::fclose(m_file);
}

bool RunJournal::create(const fs::path &folder, std::string &error)
{
    if (folder.empty()) {
        error = "no folder for the run journal (set XDG_STATE_HOME or HOME)";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + pathToUtf8(folder) + ": " + ec.message();
        return false;
    }
    long long ms = 0;
    const std::string stamp = formatTime(utcNow(ms), "run-%Y%m%d-%H%M%S");
    char tail[48];
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        std::snprintf(tail, sizeof tail, "-%03lld-%d-%d", ms, processId(), attempt);
        m_path = folder / (stamp + tail + std::string(kExtension));
        // "x": never reuse a journal that exists.
#ifdef _WIN32
        m_file = _wfopen(m_path.c_str(), L"wbx");
#else
        m_file = std::fopen(m_path.c_str(), "wbx");
#endif
        if (!m_file && errno != EEXIST)
            break;
    }
    if (!m_file) {
        error = "cannot create " + pathToUtf8(m_path) + ": " + std::strerror(errno);
        m_path.clear();
        return false;
    }
    writeLine(kMagic, kVersion, true);
    return true;
}

void RunJournal::writeLine(std::string_view key, std::string_view value, bool syncToDisk)
{
    std::lock_guard lock(m_mutex);
    if (!m_file)
        return;
    std::string line;
    line.reserve(key.size() + value.size() + 2);
    line.append(key).append(" ").append(value).append("\n");
    std::fwrite(line.data(), 1, line.size(), m_file);
    // Syncing every file line to the disk would cost a disk round trip per copied file (20 s
    // on 20 000 files) while the copies themselves are not synced either; the file system
    // keeps what a killed process wrote.
    if (syncToDisk)
        flushThrough(m_file);
    else
        flushToSystem(m_file);
}

void RunJournal::writeStart(const fs::path &source, const fs::path &destination, const RunOptions &options,
                            bool destinationCreated)
{
    writeLine("started", nowText());
    writeLine("source", escapeJournalValue(pathToUtf8(source)));
    writeLine("destination", escapeJournalValue(pathToUtf8(destination)));
    for (const OptionField &field : optionFields())
        writeLine("option", std::string(field.valueName) + " " + std::to_string(options.*(field.field)));
    if (destinationCreated)
        writeLine("main-directory", escapeJournalValue(pathToUtf8(destination)), true);
}

void RunJournal::writeEnd(const std::u16string &word, std::int32_t filesLoaded, std::int32_t filesCopied,
                          std::int32_t foldersUsed)
{
    writeLine("end", escapeJournalValue(text::utf16ToUtf8(word)) + " " + std::to_string(filesLoaded) + " "
                         + std::to_string(filesCopied) + " " + std::to_string(foldersUsed),
              true);
}

void RunJournal::folderCreated(const fs::path &folder)
{
    writeLine("folder", escapeJournalValue(pathToUtf8(folder)), true);
}

void RunJournal::fileStarting(const fs::path &destination, const output::PlacementOptions &options)
{
    std::vector<fs::path> targets{destination};
    if (options.mp3Convert && !equalsIgnoringAsciiCase(findExtension(destination), u".mp3"))
        targets.push_back(mp3Form(destination));
    for (const fs::path &target : targets) {
        // The file, and the work files placement keeps beside it while writing: the MP3 tag
        // writer's grown copy and the conversion's hidden partial file with its rebuilt form.
        fs::path tagWork = target;
        tagWork += ".tunvale-tag.tmp";
        fs::path partial = target.parent_path() / ".";
        partial += target.filename().native();
        partial += ".part";
        fs::path rebuilt = partial;
        rebuilt += ".0";
        for (const fs::path &candidate : {target, tagWork, partial, rebuilt})
            if (!present(candidate))
                writeLine("pending", escapeJournalValue(pathToUtf8(candidate)));
    }
}

void RunJournal::fileCreated(const fs::path &file)
{
    writeLine("file", escapeJournalValue(pathToUtf8(file)));
}

std::vector<fs::path> JournalRecord::createdFiles() const
{
    std::vector<fs::path> created = files;
    std::set<fs::path> seen(files.begin(), files.end());
    for (const fs::path &candidate : pending)
        if (seen.insert(candidate).second && present(candidate))
            created.push_back(candidate);
    return created;
}

bool readJournal(const fs::path &path, JournalRecord &record, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + pathToUtf8(path);
        return false;
    }
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    record = JournalRecord{};
    record.path = path;
    bool first = true;
    std::size_t start = 0;
    // Only whole lines count: a last line without its line feed was torn by a crash.
    for (std::size_t end = content.find('\n'); end != std::string::npos; start = end + 1, end = content.find('\n', start)) {
        const std::string_view line(content.data() + start, end - start);
        const std::size_t space = line.find(' ');
        const std::string_view key = line.substr(0, space);
        const std::string_view value = space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        if (first) {
            if (key != kMagic) {
                error = pathToUtf8(path) + " is not a run journal";
                return false;
            }
            first = false;
            continue;
        }
        const auto pathValue = [&] { return pathFromUtf8(unescapeJournalValue(value)); };
        if (key == "started") {
            record.started = std::string(value);
        } else if (key == "source") {
            record.source = pathValue();
        } else if (key == "destination") {
            record.destination = pathValue();
        } else if (key == "main-directory") {
            record.mainDirectory = pathValue();
        } else if (key == "folder") {
            record.folders.push_back(pathValue());
        } else if (key == "pending") {
            record.pending.push_back(pathValue());
        } else if (key == "file") {
            record.files.push_back(pathValue());
        } else if (key == "end") {
            std::istringstream fields{std::string(value)};
            std::string word, loaded, copied, folders;
            fields >> word >> loaded >> copied >> folders;
            record.ended = true;
            record.endWord = unescapeJournalValue(word);
            record.filesLoaded = number(loaded);
            record.filesCopied = number(copied);
            record.foldersUsed = number(folders);
        } else if (key == "undone") {
            record.undone = true;
        }
        // Unknown keys (and "option") are kept in the file only.
    }
    if (first) {
        error = pathToUtf8(path) + " is not a run journal";
        return false;
    }
    return true;
}

std::vector<fs::path> listJournals(const fs::path &folder)
{
    std::vector<fs::path> journals;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path &p = it->path();
        if (p.extension() == kExtension && p.filename().string().rfind("run-", 0) == 0)
            journals.push_back(p);
    }
    // The names start with the UTC time, so the newest sorts last.
    std::sort(journals.begin(), journals.end(), [](const fs::path &a, const fs::path &b) { return a.filename() > b.filename(); });
    return journals;
}

bool markJournalUndone(const fs::path &path)
{
    // A torn last line is dropped first: completed by the mark it would read as a whole line.
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec)
        return false;
    {
        std::ifstream in(path, std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t lastFeed = content.rfind('\n');
        const std::uintmax_t whole = lastFeed == std::string::npos ? 0 : lastFeed + 1;
        if (whole != size) {
            fs::resize_file(path, whole, ec);
            if (ec)
                return false;
        }
    }
#ifdef _WIN32
    std::FILE *file = _wfopen(path.c_str(), L"ab");
#else
    std::FILE *file = std::fopen(path.c_str(), "ab");
#endif
    if (!file)
        return false;
    const std::string line = "undone " + nowText() + "\n";
    bool ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    flushThrough(file);
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

} // namespace tunvale::engine
