#include "ui/skin/SkinDescription.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Reads the fields of a description; any missing or malformed one spoils it.
class Reader
{
public:
    bool ok = true;

    QString text(const QJsonObject &object, const char *key)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isString())
            ok = false;
        return value.toString();
    }

    QColor colour(const QJsonObject &object, const char *key)
    {
        const QColor value = QColor::fromString(text(object, key));
        if (!value.isValid())
            ok = false;
        return value;
    }

    // A picture the skin draws with: it must be there, or the look falls apart.
    QString image(const QJsonObject &object, const char *key)
    {
        const QString path = text(object, key);
        if (!QFile::exists(path))
            ok = false;
        return path;
    }

    int number(const QJsonObject &object, const char *key)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isDouble())
            ok = false;
        return value.toInt();
    }

    bool flag(const QJsonObject &object, const char *key)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isBool())
            ok = false;
        return value.toBool();
    }

    SkinDescription::NineSlice nineSlice(const QJsonObject &object, const char *key)
    {
        return {image(object, key), number(object, "slice")};
    }
};

QJsonObject section(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toObject();
}

void readElements(Reader &reader, const QJsonObject &elements, SkinDescription &skin)
{
    const QJsonObject titleBar = section(elements, "titleBar");
    skin.titleBarImage = reader.image(titleBar, "image");
    skin.titleBarText = reader.colour(titleBar, "text");

    const QJsonObject button = section(elements, "button");
    skin.buttonNormal = reader.image(button, "normal");
    skin.buttonHover = reader.image(button, "hover");
    skin.buttonPressed = reader.image(button, "pressed");
    skin.buttonDisabled = reader.image(button, "disabled");
    skin.buttonSlice = reader.number(button, "slice");

    const QJsonObject scrollBar = section(elements, "scrollBar");
    skin.scrollVertical = reader.nineSlice(scrollBar, "vertical");
    skin.scrollVerticalGrip = reader.image(scrollBar, "verticalGrip");
    skin.scrollHorizontal = reader.nineSlice(scrollBar, "horizontal");
    skin.scrollHorizontalGrip = reader.image(scrollBar, "horizontalGrip");

    const QJsonObject frame = section(elements, "frame");
    skin.frame = reader.nineSlice(frame, "image");
    skin.frameLine = reader.colour(frame, "line");

    const QJsonObject selection = section(elements, "selection");
    skin.selectionBack = reader.colour(selection, "back");
    skin.selectionText = reader.colour(selection, "text");
}

} // namespace

std::optional<SkinDescription> SkinDescription::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return fromJson(file.readAll());
}

std::optional<SkinDescription> SkinDescription::fromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    Reader reader;
    SkinDescription skin;
    skin.name = reader.text(root, "name");
    skin.author = reader.text(root, "author");
    skin.description = reader.text(root, "description");
    skin.application = reader.text(root, "application");
    skin.hue = reader.number(root, "hue");

    const QJsonObject colours = section(root, "colors");
    skin.back = reader.colour(colours, "back");
    skin.fore = reader.colour(colours, "fore");
    skin.panel = reader.colour(colours, "panel");
    skin.panelText = reader.colour(colours, "panelText");

    const QJsonObject switches = section(root, "switches");
    skin.applyColors = reader.flag(switches, "applyColors");
    skin.skinClientArea = reader.flag(switches, "skinClientArea");

    readElements(reader, section(root, "elements"), skin);
    if (!reader.ok || skin.name.isEmpty())
        return std::nullopt;
    return skin;
}
