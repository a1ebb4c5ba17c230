// The window from the keyboard and for screen readers: a group of choices
// is one Tab stop with the arrow keys inside it, the tabs are spoken as page
// tabs, combo boxes by their labels and the gradient swatches each by a name
// of its own.
#include "model/display_name.h"
#include "model/gradient_preset.h"
#include "model/model_json.h"
#include "state/user_gradients.h"
#include "ui/background_panel.h"
#include "ui/gradient_swatch_grid.h"
#include "ui/main_window.h"
#include "ui/settings_view.h"
#include "ui/tab_item.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

QAccessibleInterface* spoken(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// The group's members in the order the user meets them, from one of them.
QList<QAbstractButton*> groupOf(const QWidget* member)
{
    return member->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
}

} // namespace

class TestWindowKeyboard : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    QString chosenGradient() const { return m_state->settings().gradientPresetId; }
    QString chosenCanvas() const { return m_state->settings().canvasPresetId; }

    // The first button of the group under `holderName` (a picker, a grid or
    // a chip holder), looked up by object or accessible name.
    QAbstractButton* memberOf(const QString& holderName) const
    {
        for (QWidget* holder : m_widget->findChildren<QWidget*>())
            if (holder->objectName() == holderName || holder->accessibleName() == holderName)
                if (auto* button = holder->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
                    return button;
        qCritical("no group %s", qPrintable(holderName));
        std::abort();
    }

  private slots:
    void init()
    {
        QGuiApplication::clipboard()->clear();
        makeFresh();
    }
    void cleanup() { takeDown(); }

    void arrowKeysStayInAGroup_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("arrowsChoose"); // else Space chooses the focused one
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("steps"); // members from the chosen one to where the key leads
        QTest::newRow("tools, Right") << "Canvas tool" << true << int(Qt::Key_Right) << 1;
        QTest::newRow("tools, End") << "Canvas tool" << true << int(Qt::Key_End) << 7;
        QTest::newRow("background type, Right") << "type" << true << int(Qt::Key_Right) << 1;
        QTest::newRow("sidebar tab, Down in one row") << "tabPicker" << true << int(Qt::Key_Down) << 1;
        QTest::newRow("gradient category, Right") << "Gradient category" << true << int(Qt::Key_Right) << 1;
        QTest::newRow("swatches, Right") << "Gradients" << false << int(Qt::Key_Right) << 1;
        QTest::newRow("ratio chips, Right") << "Ratio" << false << int(Qt::Key_Right) << 1;
        QTest::newRow("device chips, End") << "Device category" << false << int(Qt::Key_End) << 4;
    }
    // Tab lands on the chosen member; the key moves the focus inside the
    // group (choosing on the way where the arrows choose); Tab leaves the
    // group in one step and Shift+Tab comes back to its chosen member.
    void arrowKeysStayInAGroup()
    {
        QFETCH(QString, holder);
        QFETCH(bool, arrowsChoose);
        QFETCH(int, key);
        QFETCH(int, steps);
        QVERIFY(showComposed());
        m_state->setDeviceCollapsed(false);
        const QList<QAbstractButton*> members = groupOf(memberOf(holder));
        QVERIFY(members.first()->isVisible());
        auto chosen = std::find_if(members.begin(), members.end(), [](auto* b) { return b->isChecked(); });
        QAbstractButton* start = chosen == members.end() ? members.first() : *chosen;
        const qsizetype from = members.indexOf(start);
        QCOMPARE(std::count_if(members.begin(), members.end(),
                               [](const QAbstractButton* b) { return b->focusPolicy() & Qt::TabFocus; }),
                 1);
        QVERIFY(start->focusPolicy() & Qt::TabFocus);
        start->setFocus(Qt::TabFocusReason);
        const QString gradient = chosenGradient();
        const QString canvasPreset = chosenCanvas();
        const CanvasTool tool = m_state->currentTool();

        QTest::keyClick(start, Qt::Key(key));
        QWidget* reached = QApplication::focusWidget();
        QCOMPARE(members.indexOf(reached), from + steps);
        auto* button = static_cast<QAbstractButton*>(reached);
        QTRY_COMPARE(button->isChecked(), arrowsChoose);
        if (!arrowsChoose) {
            QCOMPARE(chosenGradient(), gradient);
            QCOMPARE(chosenCanvas(), canvasPreset);
            QTest::keyClick(reached, Qt::Key_Space);
            QTRY_VERIFY(button->isChecked());
        } else if (holder == QLatin1String("Canvas tool")) {
            QVERIFY(m_state->currentTool() != tool);
        }

        QTest::keyClick(reached, Qt::Key_Tab);
        QVERIFY(!members.contains(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), reached); // the chosen member is the stop now
    }

    // Up and Down in the swatch grid go to the row above and below, in the
    // same column; past the last row the focus stays.
    void swatchGridRowsFromTheKeyboard()
    {
        QVERIFY(showComposed());
        auto* grid = child<BackgroundPanel>(*m_widget)->findChild<GradientSwatchGrid*>();
        const QList<QAbstractButton*> swatches = groupOf(grid->findChild<QAbstractButton*>());
        const int columns =
            int(std::count_if(swatches.begin(), swatches.end(),
                              [&](const QAbstractButton* b) { return b->y() == swatches.first()->y(); }));
        QVERIFY2(columns > 1 && columns < swatches.size(), qPrintable(QString::number(columns)));
        swatches[1]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(swatches[1], Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), swatches[1 + columns]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), swatches[1]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QAbstractButton* last = swatches.last();
        QCOMPARE(QApplication::focusWidget(), last);
        QTest::keyClick(last, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), last);
    }

    // Each tab is a page tab in a page tab list, and says whether it is selected.
    void tabsSpokenAsPageTabs()
    {
        QVERIFY(showComposed());
        m_state->newTab();
        m_state->newTab();
        const QList<ScreenshotTab> tabs = m_state->tabs();
        for (const QUuid& current : {tabs[2].id, tabs[0].id}) {
            m_state->selectTab(current);
            QList<bool> selected;
            for (TabItem* item : m_widget->findChildren<TabItem*>()) {
                QAccessibleInterface* tab = spoken(item);
                QCOMPARE(tab->role(), QAccessible::PageTab);
                QVERIFY(tab->state().selectable);
                QCOMPARE(tab->state().selected, item->tabId() == current);
                QVERIFY(!tab->text(QAccessible::Name).isEmpty());
                QCOMPARE(tab->parent()->role(), QAccessible::PageTabList);
                selected << tab->state().selected;
            }
            QCOMPARE(selected.count(true), 1);
            QCOMPARE(selected.size(), 3);
        }
    }

    // A combo box is spoken by what it is for, its choice as its value.
    void comboBoxesSpokenByTheirLabels_data()
    {
        QTest::addColumn<QString>("name"); // the row's tag is the box's object name
        QTest::newRow("afterCapture") << "After capture";
        QTest::newRow("quickStyling") << "Styling for quick captures";
        QTest::newRow("scale") << "Default export scale";
        QTest::newRow("redactionStyle") << "Redaction style";
        QTest::newRow("weight") << "Font weight";
        QTest::newRow("font") << "Font";
    }
    void comboBoxesSpokenByTheirLabels()
    {
        const QString box = QLatin1String(QTest::currentDataTag());
        QFETCH(QString, name);
        QVERIFY(showComposed());
        m_state->setCurrentTool(CanvasTool::text);
        m_state->addTextOverlay();
        m_widget->showPreferences();
        QWidget* preferences = child<SettingsView>(*m_widget);
        QComboBox* found = preferences->findChild<QComboBox*>(box);
        if (!found)
            found = child<QComboBox>(*m_widget, box);
        QVERIFY(found->count() > 0);
        QAccessibleInterface* spokenBox = spoken(found);
        QCOMPARE(spokenBox->role(), QAccessible::ComboBox);
        QCOMPARE(spokenBox->text(QAccessible::Name), name);
        QCOMPARE(spokenBox->text(QAccessible::Value), found->currentText());
        found->setCurrentIndex(found->count() - 1);
        QCOMPARE(spokenBox->text(QAccessible::Name), name);
        QCOMPARE(spokenBox->text(QAccessible::Value), found->currentText());
        QVERIFY(spokenBox->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::showMenuAction()));
    }

    // No two swatches of a grid are spoken alike: presets that share a name
    // add their category, the user's own gradient adds that it is custom.
    void swatchesSpokenApart_data()
    {
        QTest::addColumn<GradientCategory>("category");
        QTest::addColumn<QStringList>("expected"); // names that must be among the spoken ones
        QTest::newRow("all") << GradientCategory::all
                             << QStringList{"Cotton Candy, Multi", "Cotton Candy, Pink",
                                            "Cotton Candy, custom"};
        QTest::newRow("featured, the user's own alone")
            << GradientCategory::featured << QStringList{"Cotton Candy"};
        QTest::newRow("pink alone") << GradientCategory::pink << QStringList{"Cotton Candy"};
    }
    void swatchesSpokenApart()
    {
        QFETCH(GradientCategory, category);
        QFETCH(QStringList, expected);
        // A gradient of the user's saved under a preset's name, read back as the next launch reads it.
        UserGradient own{QStringLiteral("Cotton Candy"), m_state->settings().customGradient};
        m_widget.reset();
        m_state.reset();
        QDir().mkpath(templates());
        QVERIFY(test::writeFile(QDir(templates()).filePath(QStringLiteral("gradients.json")),
                                QByteArray::fromStdString(toJson(QList<UserGradient>{own}).dump())));
        m_state = std::make_unique<AppState>(templates());
        m_widget = std::make_unique<MainWindow>(*m_state);
        QCOMPARE(m_state->userGradients().gradients().size(), 1);
        QVERIFY(showComposed());

        auto* panel = child<BackgroundPanel>(*m_widget);
        const QString categoryName = displayName(category);
        labelled(*panel, categoryName)->click();
        auto* grid = panel->findChild<GradientSwatchGrid*>();
        QStringList names;
        for (QAbstractButton* swatch : grid->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
            names << spoken(swatch)->text(QAccessible::Name);
        QVERIFY(!names.isEmpty());
        QStringList twice;
        for (const QString& name : names)
            if (names.count(name) > 1 && !twice.contains(name))
                twice << name;
        QVERIFY2(twice.isEmpty(), qPrintable(twice.join(u'\n')));
        for (const QString& name : expected)
            QVERIFY2(names.contains(name), qPrintable(name));
    }
};

QTEST_MAIN(TestWindowKeyboard)
#include "tst_window_keyboard.moc"
