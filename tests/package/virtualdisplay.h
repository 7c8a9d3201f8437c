#ifndef VIRTUALDISPLAY_H
#define VIRTUALDISPLAY_H

#include <QProcess>
#include <QString>

// An Xvfb server on a display number nobody uses, for as long as the object
// lives: the real X11 platform plugin is what sets a window's class.
class VirtualDisplay
{
public:
    VirtualDisplay() = default;
    ~VirtualDisplay();

    bool start();
    QString name() const { return displayName; }

private:
    QProcess server;
    QString displayName;
};

#endif // VIRTUALDISPLAY_H
