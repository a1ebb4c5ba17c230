#include "accessible_interfaces.h"

#include "tab_item.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace lustrelab {

namespace {

class NamedComboBox : public QAccessibleWidget
{
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name:
            if (!box()->accessibleName().isEmpty())
                return box()->accessibleName();
            return value();
        case QAccessible::Value:
            return value();
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = box()->view()->isVisible();
        state.editable = box()->isEditable();
        return state;
    }

    // The list that opens, as Qt's own combo box offers it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction()) {
            if (box()->view()->isVisible())
                box()->hidePopup();
            else
                box()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(object()); }
    QString value() const { return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText(); }
};

class PageTab : public QAccessibleWidget
{
  public:
    explicit PageTab(TabItem* item) : QAccessibleWidget(item, QAccessible::PageTab) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = static_cast<const TabItem*>(object())->isSelected();
        return state;
    }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("QComboBox"))
        return new NamedComboBox(static_cast<QComboBox*>(object));
    if (className == QLatin1String("lustrelab::TabItem"))
        return new PageTab(static_cast<TabItem*>(object));
    if (className == QLatin1String("QWidget") && object->metaObject() == &QWidget::staticMetaObject) {
        const QVariant role = object->property(accessibleRoleProperty);
        if (role.isValid())
            return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Role(role.toInt()));
    }
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    // Qt keeps one entry per factory and asks the latest installed first.
    QAccessible::installFactory(interfaceFor);
}

} // namespace lustrelab
