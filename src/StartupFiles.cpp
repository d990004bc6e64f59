#include "StartupFiles.h"

StartupFiles::StartupFiles(const QString& defaultsPath, const QString& settingsPath)
    : defaults_([defaultsPath] {
          Read<DefaultProfile> read;
          read.result = DefaultProfile::read(defaultsPath, read.profile);
          return read;
      }),
      settings_([settingsPath] {
          Read<ApplicationProfile> read;
          read.result = ApplicationProfile::read(settingsPath, read.profile);
          return read;
      })
{
}

StartupFiles StartupFiles::atUsualPaths()
{
    return StartupFiles(DefaultProfile::filePath(), ApplicationProfile::filePath());
}
