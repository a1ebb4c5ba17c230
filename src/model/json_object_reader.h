#pragma once

#include "model/codable_color.h"
#include "model/model_json.h"
#include "model/raw_value.h"
#include "model/unit_geometry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <initializer_list>
#include <optional>

namespace lustrelab {

// Reads the optional keys of one hand-written JSON object into a record whose
// fields already hold their defaults: an absent key keeps the default, a key
// of the wrong type fails the whole read. Only the first failure is kept, as
// "path.key: reason", so that the user is pointed at one precise spot.
class JsonObjectReader
{
  public:
    JsonObjectReader(const Json& object, QString path);

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    // Unknown keys are refused: in a file typed by hand they are almost always
    // misspellings, and ignoring one would silently drop what the user asked for.
    void allowOnly(std::initializer_list<const char*> keys);

    void read(const char* key, double& value);
    void read(const char* key, int& value); // a whole number that fits an int
    void read(const char* key, bool& value);
    void read(const char* key, QString& value);
    void read(const char* key, QUuid& value);
    void read(const char* key, UnitPoint& value);
    void read(const char* key, UnitRect& value);
    // An array of {x, y} objects; the failure names the element ("points[3]").
    void read(const char* key, QList<UnitPoint>& value);
    // null or absent: no point
    void read(const char* key, std::optional<UnitPoint>& value);
    void read(const char* key, std::optional<UnitRect>& value);
    void read(const char* key, CodableColor& value);
    // null or absent: no colour
    void read(const char* key, std::optional<CodableColor>& value);
    void require(const char* key);

    template <typename E> void readEnum(const char* key, E& value)
    {
        const Json* json = find(key);
        if (!json)
            return;
        if (json->is_string())
            if (auto e = fromRawValue<E>(QString::fromStdString(json->get<std::string>()))) {
                value = *e;
                return;
            }
        QStringList raws;
        for (E e : allCases<E>())
            raws << QLatin1Char('"') + rawValue(e) + QLatin1Char('"');
        fail(key, QStringLiteral("expected one of %1").arg(raws.join(QStringLiteral(", "))));
    }

  private:
    const Json* find(const char* key) const;
    void fail(const char* key, const QString& reason);
    bool readNumbers(const char* key, std::initializer_list<std::pair<const char*, double*>> fields);

    const Json& m_object;
    QString m_path;
    QString m_error;
};

} // namespace lustrelab
