#pragma once

#include <QColor>
#include <QString>
#include <optional>

// A skin as shipped in a description file: who made it, its colours, its
// switches and the pictures its elements are drawn from.
struct SkinDescription {
    struct NineSlice {
        QString image;
        int slice = 0; // width of the edges kept unstretched, in pixels
    };

    QString name;
    QString author;
    QString description;
    QString application;
    int hue = 0; // the pictures are drawn in this hue already; kept for the record
    QColor back;      // fields and buttons
    QColor fore;      // text in fields
    QColor panel;     // window surfaces and picture boxes
    QColor panelText; // text on panels: status line, headers, frame captions
    bool applyColors = true;
    bool skinClientArea = true;

    QString titleBarImage;
    QColor titleBarText;
    QString buttonNormal;
    QString buttonHover;
    QString buttonPressed;
    QString buttonDisabled;
    int buttonSlice = 0;
    NineSlice scrollVertical;   // the handle's body, stretched along the bar
    QString scrollVerticalGrip; // drawn unstretched in the middle of the handle
    NineSlice scrollHorizontal;
    QString scrollHorizontalGrip;
    NineSlice frame;
    QColor frameLine;
    QColor selectionBack;
    QColor selectionText;

    // Empty when the file cannot be read or misses a colour or a picture.
    static std::optional<SkinDescription> load(const QString &path);
    static std::optional<SkinDescription> fromJson(const QByteArray &json);
};
