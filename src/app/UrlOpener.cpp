#include "app/UrlOpener.h"

namespace {

TUrlOpener& Installed()
{
    static TUrlOpener opener;
    return opener;
}

} // namespace

TUrlOpener SetUrlOpener(TUrlOpener AOpener)
{
    return std::exchange(Installed(), std::move(AOpener));
}

bool HasUrlOpener()
{
    return static_cast<bool>(Installed());
}

bool OpenUrl(const QUrl& AUrl)
{
    return HasUrlOpener() && Installed()(AUrl);
}
