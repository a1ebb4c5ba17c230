#pragma once

#include "guarded_json_file.h"
#include "model/custom_gradient.h"

#include <QList>
#include <QObject>
#include <QString>

namespace lustrelab {

struct UserGradient
{
    QString name;
    CustomGradient gradient;
    friend bool operator==(const UserGradient&, const UserGradient&) = default;
};

// The gradients the user saved as presets, kept beside the templates in
// "gradients.json" ({"gradients": [{"name": ..., "gradient": {...}}, ...]}),
// read once at construction and rewritten whole after every change.
class UserGradients : public QObject
{
    Q_OBJECT

  public:
    // An empty directory means the templates' default folder.
    explicit UserGradients(const QString& directory = {}, QObject* parent = nullptr);

    const QList<UserGradient>& gradients() const { return m_gradients; }

    // Saved under the next free name "Custom 1", "Custom 2", ...; returns its index.
    qsizetype add(const CustomGradient& gradient);
    void remove(qsizetype index);

  signals:
    void gradientsChanged();

  private:
    QList<UserGradient> m_gradients;
    GuardedJsonFile m_file;
};

Json toJson(const QList<UserGradient>& gradients);
std::optional<QList<UserGradient>> userGradientsFromJson(const Json& json, QString* error);

} // namespace lustrelab
