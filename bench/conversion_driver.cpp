// Converts one file with ConvertToMp3, as placement would, for timing and memory figures:
//   conversion_driver SOURCE DESTINATION.mp3 QUALITY
// Prints the result code and the path written; exits 0 only when the conversion succeeded.

#include "output/mp3_conversion.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE DESTINATION.mp3 QUALITY\n", argv[0]);
        return 2;
    }
    tunvale::output::PlacementContext context;
    context.sourcePath = argv[1];
    context.destinationPath = argv[2];
    context.options.mp3Quality = std::atoi(argv[3]);
    context.options.tagsFromName = false;
    const int code = tunvale::output::ConvertToMp3(context, true);
    std::printf("%d %s\n", code, context.destinationPath.string().c_str());
    return code == 0 ? 0 : 1;
}
