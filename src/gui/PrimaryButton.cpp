#include "gui/PrimaryButton.h"

#include <QGuiApplication>

bool PrimaryButtonDown()
{
    // The window system maps swapped buttons already: the primary one arrives as left.
    return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
}
