#pragma once

#include <QWebEnginePage>

// A web page that keeps to itself: it starts no other program for a link of an
// unknown kind, cannot read local files, and is refused every permission it
// asks for (location, notifications, camera, full screen, protocol handlers).
// It opens no new windows and downloads nothing.
class LockedDownPage : public QWebEnginePage
{
    Q_OBJECT

public:
    LockedDownPage(QWebEngineProfile *profile, QObject *parent, bool scriptsEnabled);
};
