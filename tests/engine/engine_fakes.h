#pragma once

#include "catalog/records/catalog.h"
#include "engine/run/abort_command.h"
#include "engine/run/organize_command.h"
#include "engine/run/organize_worker.h"
#include "engine/session/progress_sink.h"
#include "formats/format_table.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tunvale::engine::testing {

// One notice or call the worker made, in order.
struct Notice {
    enum Kind { Progress, Status, RunEnded, ShowStatus, Message } kind;
    std::int32_t position = 0;
    std::int32_t range = 0;
    std::uint32_t colour = 0;
    std::u16string text;
};

// Records everything in order; thread-safe so a real worker thread can use it.
class RecordingSink : public ProgressSink {
public:
    void postProgress(std::int32_t position, std::int32_t range) override { add({Notice::Progress, position, range, 0, {}}); }
    void postStatus(std::uint32_t colour, const std::u16string &text) override { add({Notice::Status, 0, 0, colour, text}); }
    void postRunEnded() override { add({Notice::RunEnded, 0, 0, 0, {}}); }
    void showStatus(const std::u16string &text, std::uint32_t colour) override { add({Notice::ShowStatus, 0, 0, colour, text}); }
    void showMessage(const std::u16string &text) override { add({Notice::Message, 0, 0, 0, text}); }
    // Work reports are kept apart from the notices above.
    void postWork(const WorkProgress &progress) override
    {
        std::lock_guard lock(m_mutex);
        m_works.push_back(progress);
    }
    std::vector<WorkProgress> works() const
    {
        std::lock_guard lock(m_mutex);
        return m_works;
    }

    std::vector<Notice> notices() const
    {
        std::lock_guard lock(m_mutex);
        return m_notices;
    }
    std::vector<Notice> of(Notice::Kind kind) const
    {
        std::vector<Notice> picked;
        for (const Notice &n : notices())
            if (n.kind == kind)
                picked.push_back(n);
        return picked;
    }
    std::vector<std::u16string> messages() const
    {
        std::vector<std::u16string> texts;
        for (const Notice &n : of(Notice::Message))
            texts.push_back(n.text);
        return texts;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_notices.clear();
        m_works.clear();
    }

private:
    void add(Notice n)
    {
        std::lock_guard lock(m_mutex);
        m_notices.push_back(std::move(n));
    }
    mutable std::mutex m_mutex;
    std::vector<Notice> m_notices;
    std::vector<WorkProgress> m_works;
};

// A fake library: each file name maps to the group key its loader gives it; files not in the
// map fail to load (not this format).
struct FakeLibrary {
    std::map<std::string, std::u16string> groupKeys;   // by file name
    std::vector<std::filesystem::path> loadCalls;
    // Called after the loader for file name has run.
    std::map<std::string, std::function<void()>> afterLoad;

    LoaderFn loader()
    {
        return [this](const std::filesystem::path &path, int, const catalog::LoadOptions &, catalog::Catalog &catalog) {
            loadCalls.push_back(path);
            const std::string name = path.filename().string();
            formats::ReadResult result = formats::ReadResult::failure(formats::ReadStatus::NotThisFormat);
            auto it = groupKeys.find(name);
            if (it != groupKeys.end()) {
                auto entry = std::make_unique<catalog::CMetaDat>(path, it->second);
                entry->setTitle(std::u16string(name.begin(), name.end()));
                catalog.append(std::move(entry));
                result = formats::ReadResult::success();
            }
            auto after = afterLoad.find(name);
            if (after != afterLoad.end())
                after->second();
            return result;
        };
    }
};

// A fake placement: records each call; the result for a source file name can be set.
struct FakePlacement {
    struct Call {
        int index;
        int count;
        std::filesystem::path source;
        std::filesystem::path destination;
    };
    std::vector<Call> calls;
    std::map<std::string, int> results;                          // by source file name
    std::map<std::string, std::function<void()>> afterPlace;     // by source file name

    PlaceFileFn hook()
    {
        return [this](int index, int count, output::PlacementContext &context) {
            calls.push_back({index, count, context.sourcePath, context.destinationPath});
            const std::string name = context.sourcePath.filename().string();
            auto after = afterPlace.find(name);
            if (after != afterPlace.end())
                after->second();
            auto it = results.find(name);
            return it == results.end() ? 0 : it->second;
        };
    }
};

// The row of the format table of id ("mp3").
inline const formats::FormatRow &format(std::string_view id) { return *formats::findFormat(id); }

// Says yes to creating a missing destination.
struct CreateIt : OrganizeQuestions {
    bool createMissingDestination(const std::filesystem::path &) override { return true; }
};

// Answers the abort question with yes (or with no), counting how often it was asked.
struct ScriptedAbort : AbortQuestions {
    bool yes = true;
    int asked = 0;
    bool confirmAbort() override
    {
        ++asked;
        return yes;
    }
};

} // namespace tunvale::engine::testing
