// tunvale: the organizer's dialog. Optional arguments: the source and destination folders to
// show instead of the stored ones.
#include "ui/tunvale_app.h"

int main(int argc, char **argv)
{
    tunvale::ui::TunvaleApp app(argc, argv);
    return app.run();
}
