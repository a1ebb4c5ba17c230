#pragma once

#include "model/codable_color.h"
#include "model/model_json.h"
#include "model/raw_value.h"
#include "model/unit_geometry.h"

#include <QAnyStringView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <initializer_list>
#include <optional>
#include <type_traits>

namespace lustrelab {

// Reads one JSON object into a record whose fields already hold their
// defaults. Every stored file goes through it, so they all fail alike: at the
// first missing key, wrong type or value out of range, with one message that
// names the full key path ("settings.customGradient.stops[1].position:
// expected a number from 0 to 1") and the rest of the read doing nothing.
//
// A key is optional unless require() names it: an absent one keeps the
// default. Unknown keys are ignored unless allowOnly() lists the known ones.
// Nested objects and arrays are read by nested readers that share the first
// failure with the reader they came from.
class JsonReader
{
  public:
    // `path` names the object in messages; empty for a file's top level.
    JsonReader(const Json& object, QString path);
    JsonReader(const JsonReader&) = delete;
    JsonReader& operator=(const JsonReader&) = delete;

    bool ok() const { return m_error->isEmpty(); }
    const QString& error() const { return *m_error; }
    QString keyPath(QAnyStringView key) const;

    bool has(const char* key) const;
    void require(std::initializer_list<const char*> keys);
    // In a file typed by hand an unknown key is almost always a misspelling,
    // and ignoring it would silently drop what the user asked for.
    void allowOnly(std::initializer_list<const char*> keys);

    void read(const char* key, double& value);
    void read(const char* key, float& value); // refused beyond the range of a float
    void read(const char* key, int& value);   // a whole number that fits an int
    void read(const char* key, bool& value);
    void read(const char* key, QString& value);
    void read(const char* key, QUuid& value);
    void read(const char* key, UnitPoint& value);
    void read(const char* key, UnitRect& value);
    void read(const char* key, QList<UnitPoint>& value);
    void read(const char* key, std::optional<UnitPoint>& value); // null: no point
    void read(const char* key, std::optional<UnitRect>& value);
    // A colour object, or a CSS hex string, which is far easier to type.
    void read(const char* key, CodableColor& value);
    void read(const char* key, std::optional<CodableColor>& value); // null: no colour
    // This object is a colour: red, green, blue and opacity, each required.
    void readFields(CodableColor& color);
    template <typename E> requires std::is_enum_v<E>
    void read(const char* key, E& value)
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
        wrongValue(key, QStringLiteral("one of %1").arg(raws.join(QStringLiteral(", "))), *json);
    }

    // A check on a value already read, so that a type error anywhere in the
    // object is reported before a range. `key` may be a path below this
    // object ("startPoint.x").
    void checkWithin(QAnyStringView key, double value, double least, double most);

    // The object at `key`, read by `read(JsonReader&)`.
    template <typename Read> void readObject(const char* key, Read&& read)
    {
        if (const Json* json = find(key)) {
            JsonReader nested(*json, keyPath(key), *this);
            if (nested.ok())
                read(nested);
        }
    }
    // The array of objects at `key`, each read by `read(JsonReader&)`, with a
    // count in [least, most].
    template <typename Read> void readObjects(const char* key, qsizetype least, qsizetype most, Read&& read)
    {
        if (const Json* json = find(key))
            readArray(*json, keyPath(key), least, most, read, *m_error);
    }
    // A file whose top level is an array of objects.
    template <typename Read>
    static bool readArray(const Json& array, const QString& path, qsizetype least, qsizetype most,
                          Read&& read, QString& error)
    {
        if (!error.isEmpty() || !checkArray(array, path, least, most, error))
            return false;
        for (std::size_t i = 0; i < array.size() && error.isEmpty(); ++i) {
            JsonReader nested(array[i], path + QStringLiteral("[%1]").arg(i), error);
            if (nested.ok())
                read(nested);
        }
        return error.isEmpty();
    }

    // The first failure wins; `reason` follows the key path.
    void fail(QAnyStringView key, const QString& reason);

  private:
    JsonReader(const Json& object, QString path, JsonReader& parent);
    JsonReader(const Json& object, QString path, QString& sharedError);
    static bool checkArray(const Json& array, const QString& path, qsizetype least, qsizetype most,
                           QString& error);

    const Json* find(const char* key) const;
    void wrongValue(const char* key, const QString& expected, const Json& found);

    const Json& m_object;
    QString m_path;
    QString m_ownError;
    QString* m_error;
};

// `json` read whole by `read(JsonReader&, Record&)` into a record that starts
// at its defaults; nothing on failure, with the message in `error`.
template <typename Record, typename Read>
std::optional<Record> readRecord(const Json& json, const QString& path, QString* error, Read&& read)
{
    JsonReader reader(json, path);
    Record record;
    if (reader.ok())
        read(reader, record);
    if (reader.ok())
        return record;
    if (error)
        *error = reader.error();
    return std::nullopt;
}

} // namespace lustrelab
