#include "engine/undo/run_journal.h"

#include "catalog/text/codepage.h"
#include "engine/undo/journal_lock.h"
#include "engine/session/path_text.h"
#include "formats/io/file_identity.h"
#include "formats/io/platform.h"
#include "formats/io/work_files.h"

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


namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "tunvale-journal";
constexpr std::string_view kVersion = "2";
// Separates the two paths of a "kept" line: a tab inside a path is written as %09.
constexpr char kPathSeparator = '\t';

namespace io = formats::io;
constexpr std::string_view kExtension = ".journal";

std::tm utcNow(long long &milliseconds)
{
    const auto now = std::chrono::system_clock::now();
    milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return platform::utcTime(std::chrono::system_clock::to_time_t(now));
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

// Hands the written line to the file system (enough to survive the process being killed).
void flushToSystem(std::FILE *file)
{
    std::fflush(file);
}

// Hands the written line to the file system and on to the disk.
void flushThrough(std::FILE *file)
{
    std::fflush(file);
    platform::flushFileData(file);
}

std::string pathText(const fs::path &path)
{
    return escapeJournalValue(pathToUtf8(path));
}

std::int32_t number(const std::string &text)
{
    return static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

} // namespace

fs::path journalFolder() { return platform::programStateFolder(); }

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
        std::snprintf(tail, sizeof tail, "-%03lld-%d-%d", ms, platform::processId(), attempt);
        m_path = folder / (stamp + tail + std::string(kExtension));
        // "x": never reuse a journal that exists.
        m_file = platform::openNewFile(m_path);
        if (!m_file && errno != EEXIST)
            break;
    }
    if (!m_file) {
        error = "cannot create " + pathToUtf8(m_path) + ": " + std::strerror(errno);
        m_path.clear();
        return false;
    }
    // Held until the process ends: undo tells a run still going on by this lock.
    lockOpenJournal(m_file);
    writeLine(kMagic, kVersion, true);
    return true;
}

void RunJournal::discard()
{
    std::lock_guard lock(m_mutex);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_path.empty()) {
        std::error_code ec;
        fs::remove(m_path, ec);
        m_path.clear();
    }
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
                            const std::vector<fs::path> &mainDirectories, std::string_view workToken)
{
    writeLine("started", nowText());
    writeLine("source", pathText(source));
    writeLine("destination", pathText(destination));
    writeLine("work-files", workToken);
    for (const OptionField &field : optionFields())
        writeLine("option", std::string(field.valueName) + " " + std::to_string(field.of(options)));
    for (const fs::path &folder : mainDirectories)
        writeLine("main-directory", pathText(folder), &folder == &mainDirectories.back());
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
    // Reaches the file system at once, like the file lines; the run syncs it with the rest.
    writeLine("folder", pathText(folder));
}

void RunJournal::fileStarting(const fs::path &destination, const output::PlacementOptions &)
{
    writeLine("pending", pathText(destination));
}

void RunJournal::filePublishing(const fs::path &path, const io::FileIdentity &identity)
{
    writeLine("placing", io::identityText(identity) + " " + pathText(path));
}

void RunJournal::fileKept(const fs::path &original, const io::FileIdentity &identity, const fs::path &kept)
{
    // On the disk before the file is moved: the only record of where the user's file went.
    writeLine("kept", io::identityText(identity) + " " + pathText(original) + kPathSeparator + pathText(kept), true);
}

void RunJournal::fileCreated(const fs::path &file)
{
    writeLine("file", io::identityText(io::identityOf(file)) + " " + pathText(file));
}

void RunJournal::fileCreated(const fs::path &file, const io::FileIdentity &identity)
{
    writeLine("file", io::identityText(identity.valid ? identity : io::identityOf(file)) + " " + pathText(file));
}

std::vector<fs::path> JournalRecord::createdFiles() const
{
    std::vector<fs::path> made = files;
    std::set<fs::path> seen(files.begin(), files.end());
    for (const CreatedRecord &record : created) {
        if (record.replaced() || seen.count(record.path) != 0)
            continue;
        if (record.identity.valid && io::identityOf(record.path) == record.identity) {
            seen.insert(record.path);
            made.push_back(record.path);
        }
    }
    return made;
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
            record.version = number(std::string(value));
            first = false;
            continue;
        }
        const auto pathValue = [&] { return pathFromUtf8(unescapeJournalValue(value)); };
        // "<identity> <path>" (from version 2 on).
        const auto identified = [&](std::string_view text, io::FileIdentity &identity) {
            const std::size_t gap = text.find(' ');
            identity = gap == std::string_view::npos ? io::FileIdentity{} : io::identityFromText(text.substr(0, gap));
            return gap == std::string_view::npos ? std::string_view{} : text.substr(gap + 1);
        };
        if (key == "started") {
            record.started = std::string(value);
        } else if (key == "source") {
            record.source = pathValue();
        } else if (key == "destination") {
            record.destination = pathValue();
        } else if (key == "main-directory") {
            record.mainDirectory = pathValue();
            record.mainDirectories.push_back(record.mainDirectory);
        } else if (key == "folder") {
            record.folders.push_back(pathValue());
        } else if (key == "pending") {
            record.pending.push_back(pathValue());
        } else if (key == "work-files") {
            record.workToken = std::string(value);
        } else if (key == "file" && record.version < kJournalVersion) {
            record.files.push_back(pathValue());
        } else if (key == "file" || key == "placing") {
            CreatedRecord made;
            made.path = pathFromUtf8(unescapeJournalValue(identified(value, made.identity)));
            if (key == "file")
                record.files.push_back(made.path);
            record.created.push_back(std::move(made));
        } else if (key == "kept") {
            CreatedRecord kept;
            const std::string_view paths = identified(value, kept.identity);
            const std::size_t separator = paths.find(kPathSeparator);
            kept.path = pathFromUtf8(unescapeJournalValue(paths.substr(0, separator)));
            if (separator != std::string_view::npos)
                kept.keptAt = pathFromUtf8(unescapeJournalValue(paths.substr(separator + 1)));
            // A line that names no kept place is still checked: its path must be safe too.
            if (kept.keptAt.empty())
                kept.keptAt = kept.path;
            record.created.push_back(std::move(kept));
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
    std::FILE *file = platform::openForAppending(path);
    if (!file)
        return false;
    const std::string line = "undone " + nowText() + "\n";
    bool ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    flushThrough(file);
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

} // namespace tunvale::engine
