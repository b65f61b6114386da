#include "cli/terminal_sink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tunvale::cli {
namespace {

std::string written(std::FILE *file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text.push_back(static_cast<char>(c));
    return text;
}

// The bar follows the position notices until the run reports its work; then it shows the
// weighted share and the file "n/N" of its phase, whatever the positions say.
TEST(TerminalSink, BarFollowsTheWorkOnceReported)
{
    std::FILE *err = std::tmpfile();
    ASSERT_NE(err, nullptr);
    TerminalSink sink(err, true);
    sink.postProgress(12, 24);
    EXPECT_NE(written(err).find("[###############...............]  50% "), std::string::npos) << written(err);

    sink.postWork({engine::RunPhase::Loading, 2, 3, 250});
    sink.postProgress(3, 0);   // a position no longer moves the bar
    const std::string text = written(err);
    const std::string last = text.substr(text.rfind('\r'));
    EXPECT_EQ(last, "\r\033[K[#######.......................]  25% 2/3 ");
    std::fclose(err);
}

} // namespace
} // namespace tunvale::cli
