#pragma once

#include <QUrl>

#include <functional>

// How the application hands a URL (a mail to write, a folder, a web page) to the
// desktop. The program installs the desktop's handler; tests install a recorder.
// Installed and used on the user-interface thread only.
using TUrlOpener = std::function<bool(const QUrl&)>;

// Installs AOpener and returns the one it replaces.
TUrlOpener SetUrlOpener(TUrlOpener AOpener);
bool HasUrlOpener();
// False when no opener is installed or the opener fails.
bool OpenUrl(const QUrl& AUrl);
