#include "app/MenuHelp.h"

namespace {

struct HelpEntry
{
    const char* caption;
    const char* text;
};

constexpr HelpEntry Table[] = {
    {"&Open             Ctl+ O", "Browse for files"},
    {"&Wallpaper      Ctl+ W", "Set the selected image as Wallpaper"},
    {"Exit                Alt+ X", "Exit the program"},
    {"Toolbar               Ctl+ T", "Hide or show the Toolbar"},
    {"Status Bar          Ctl+ S", "Hide or show the Status Bar"},
    {"Folders tree        Ctl+ F", "Hide or show the Folders Tree"},
    {"Preview              Ctl+ P", "Hide or show the Preview Area"},
    {"Thumbnails          F4", "Show thumbnails for the image files"},
    {"Large Icons         F6", "Use Large icons for the Listview's contents"},
    {"Small Icons          F7", "Use Small icons for the Listview's contents"},
    {"List                      F8", "Show the Listview's contents in a List"},
    {"Details                 F9", "Show Details for the Listview's contents"},
    {"By Name", "Arrange the Listview's contents by Name"},
    {"By Size", "Arrange the Listview's contents by Size"},
    {"By Type", "Arrange the Listview's contents by Type"},
    {"Ascending", "Ascending order"},
    {"Descending", "Descending order"},
    {"Refresh              F5", "Refresh the contents of the Listview window"},
    {"Toolbox         F2", "With the Toolbox, you can test Fonts for use in the Internet"},
    {"Options         F3", "Customize the software's behavior"},
    {"Contents          F1", "If you need help, this is for you"},
    {"Web page       Ctl+ I", "Visit The image Vadro's Web page"},
    {"About", "Show the About dialog"},
};

} // namespace

QString MenuHelp::textFor(const QString& caption)
{
    // Captions are compared exactly, first match wins; long ones are cut as a menu would.
    const QString key = caption.left(255);
    for (const HelpEntry& entry : Table) {
        if (key == QLatin1String(entry.caption))
            return QString::fromLatin1(entry.text);
    }
    return {};
}
