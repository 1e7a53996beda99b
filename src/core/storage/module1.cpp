#include "core/storage/module1.h"

namespace Module1 {

void SetAppDir(const QString& directory)
{
    Folder = DataFolder(directory);
    AppDir = Folder.appDir;
    HelpFilePath = Folder.helpFilePath;
    ChosenListing.clear();
}

} // namespace Module1
