#include <cstdio>

int main()
{
    std::fprintf(stderr, "tunvale-cli: the organizer is not built yet.\n");
    return 1;
}
