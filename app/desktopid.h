#ifndef DESKTOPID_H
#define DESKTOPID_H

#include <QLatin1String>

// The name the desktop knows Tarvelo by: its menu entry, its notifications'
// sender and the socket a later start hands its files to all carry it.
inline constexpr QLatin1String desktopId("org.tarvelo.Tarvelo");

#endif // DESKTOPID_H
