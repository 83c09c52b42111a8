#include "ui/skin/SkinDescription.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <type_traits>
#include <variant>

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

// Where each field of a description is read: its section (empty for the top
// level, "a.b" for one inside another) and its key.
struct Field
{
    const char *section;
    const char *key;
    std::variant<QString SkinDescription::*, int SkinDescription::*, bool SkinDescription::*,
                 QColor SkinDescription::*, SkinDescription::NineSlice SkinDescription::*>
            member;
    bool image = false; // a picture the skin draws with, not a text
};

using D = SkinDescription;
const Field Fields[] = {
    {"", "name", &D::name},
    {"", "author", &D::author},
    {"", "description", &D::description},
    {"", "application", &D::application},
    {"", "hue", &D::hue},
    {"colors", "back", &D::back},
    {"colors", "fore", &D::fore},
    {"colors", "panel", &D::panel},
    {"colors", "panelText", &D::panelText},
    {"switches", "applyColors", &D::applyColors},
    {"switches", "skinClientArea", &D::skinClientArea},
    {"elements.titleBar", "image", &D::titleBarImage, true},
    {"elements.titleBar", "text", &D::titleBarText},
    {"elements.button", "normal", &D::buttonNormal, true},
    {"elements.button", "hover", &D::buttonHover, true},
    {"elements.button", "pressed", &D::buttonPressed, true},
    {"elements.button", "disabled", &D::buttonDisabled, true},
    {"elements.button", "slice", &D::buttonSlice},
    {"elements.scrollBar", "vertical", &D::scrollVertical},
    {"elements.scrollBar", "verticalGrip", &D::scrollVerticalGrip, true},
    {"elements.scrollBar", "horizontal", &D::scrollHorizontal},
    {"elements.scrollBar", "horizontalGrip", &D::scrollHorizontalGrip, true},
    {"elements.frame", "image", &D::frame},
    {"elements.frame", "line", &D::frameLine},
    {"elements.selection", "back", &D::selectionBack},
    {"elements.selection", "text", &D::selectionText},
};

QJsonObject sectionOf(QJsonObject object, const char *path)
{
    for (const QString &name : QString::fromLatin1(path).split(u'.', Qt::SkipEmptyParts))
        object = object.value(name).toObject();
    return object;
}

void read(Reader &reader, const QJsonObject &root, const Field &field, SkinDescription &skin)
{
    const QJsonObject object = sectionOf(root, field.section);
    const char *key = field.key;
    std::visit(
            [&](auto member) {
                auto &value = skin.*member;
                using Value = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, QString>)
                    value = field.image ? reader.image(object, key) : reader.text(object, key);
                else if constexpr (std::is_same_v<Value, int>)
                    value = reader.number(object, key);
                else if constexpr (std::is_same_v<Value, bool>)
                    value = reader.flag(object, key);
                else if constexpr (std::is_same_v<Value, QColor>)
                    value = reader.colour(object, key);
                else
                    value = reader.nineSlice(object, key);
            },
            field.member);
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
    for (const Field &field : Fields)
        read(reader, root, field, skin);
    if (!reader.ok || skin.name.isEmpty())
        return std::nullopt;
    return skin;
}
