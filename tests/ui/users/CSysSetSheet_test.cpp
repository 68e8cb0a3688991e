#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/users/UserAccounts.h"
#include "core/users/UserLogin.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/templates/CColorPickerCB.h"
#include "ui/users/CSysSetSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using namespace zentra::ui;

namespace {

// Answers the admin-password dialog once it is up: types the two passwords
// and presses the named button.
void answerAdminPassword(const QString &button, const QString &password = QString(), const QString &confirm = QString())
{
    QTimer::singleShot(0, [=] {
        auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dlg || dlg->objectName() != QLatin1String("adminPasswordDialog"))
            return;
        dlg->findChild<QLineEdit *>("newPassword")->setText(password);
        dlg->findChild<QLineEdit *>("confirmPassword")->setText(confirm);
        dlg->findChild<QPushButton *>(button)->click();
    });
}

struct Fixture {
    zentra::test::TempDir dir;
    zentra::DataFolder folder{dir.file("shop")};
    bool made = zentra::initDataFolder(folder);
    std::string config = dir.file("config.ini");
    zentra::AppState state;
    ScriptedDialogs dialogs;
    QStringList printers{"Office_Laser", "Label_Zebra"};
    QStringList calibrated;
    std::unique_ptr<CSysSetSheet> sheet;

    CSysSetSheet &open()
    {
        sheet = std::make_unique<CSysSetSheet>(state, config, folder.databasePath(), dialogs, printers,
                                               [this](const QString &name) {
                                                   calibrated << name;
                                                   return name != "Label_Zebra";
                                               });
        sheet->show();
        if (!QTest::qWaitForWindowExposed(sheet.get()))
            qWarning("settings sheet not shown");
        return *sheet;
    }
    std::string key(const char *name) const { return zentra::ConfigFile(config).readText("System", name); }

    template <typename T> T *find(const char *name)
    {
        T *w = sheet->findChild<T *>(name);
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    void showPage(int index)
    {
        QTabBar *bar = sheet->tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        if (sheet->tabs()->currentIndex() != index)
            qWarning("page %d not shown", index);
    }
    // A click on a check box's or radio button's indicator.
    void tick(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }
    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void choose(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text);
        if (index < 0)
            qFatal("no entry");
        box->setCurrentIndex(index);
    }
};

}

class CSysSetSheetTest : public QObject {
    Q_OBJECT

private slots:
    void pagesInOrderShowTheCurrentValues()
    {
        Fixture f;
        f.state.loginPass = true;
        f.state.fontName = "DejaVu Sans";
        f.state.fontStyle = "粗体";
        f.state.fontColor = "255,0,0";
        f.state.fontHeight = 14;
        f.state.moveInterval = 3;
        f.state.tbRecognizeMethod = 2;
        f.state.printerName = "Label_Zebra";
        f.state.printerScale = 1.25f;
        f.open();
        QCOMPARE(f.sheet->windowTitle(), QStringLiteral("系统设置"));
        QStringList titles;
        for (int i = 0; i < f.sheet->tabs()->count(); ++i)
            titles << f.sheet->tabs()->tabText(i);
        QCOMPARE(titles, (QStringList{"常规设置", "模板设计", "淘宝设置", "打印设置"}));
        QVERIFY(f.find<QCheckBox>("loginPass")->isChecked());
        QCOMPARE(f.find<QComboBox>("fontStyle")->currentText(), QStringLiteral("粗体"));
        QCOMPARE(f.find<CColorPickerCB>("fontColor")->currentColor(), QColor(255, 0, 0));
        QCOMPARE(f.find<QComboBox>("fontHeight")->currentText(), QStringLiteral("14"));
        QCOMPARE(f.find<QComboBox>("moveInterval")->count(), 9);
        QCOMPARE(f.find<QComboBox>("moveInterval")->currentText(), QStringLiteral("3"));
        QVERIFY(f.find<QRadioButton>("method3")->isChecked());
        QCOMPARE(f.find<QRadioButton>("method3")->text(), QStringLiteral("方法三（智能识别）"));
        QCOMPARE(f.find<QComboBox>("printerName")->currentText(), QStringLiteral("Label_Zebra"));
        QCOMPARE(f.find<QSlider>("scaleSlider")->value(), 125);
        QCOMPARE(f.find<QLineEdit>("scaleEdit")->text(), QStringLiteral("1.25"));
        QVERIFY(!f.find<QPushButton>("applyButton")->isEnabled());
    }

    void scaleIsHeldInRangeOnApply()
    {
        Fixture f;
        f.open();
        f.showPage(3);
        auto *slider = f.find<QSlider>("scaleSlider");
        QCOMPARE(slider->minimum(), 1);
        QCOMPARE(slider->maximum(), 300);
        slider->setFocus();
        slider->setValue(150);
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(f.find<QLineEdit>("scaleEdit")->text(), QStringLiteral("1.51"));
        QVERIFY(f.find<QPushButton>("applyButton")->isEnabled());

        const std::pair<const char *, const char *> cases[] = {
            {"0", "1.000000"}, {"3.5", "1.000000"}, {"3.0", "3.000000"}, {"0.5", "0.500000"}};
        for (const auto &[typed, stored] : cases) {
            auto *edit = f.find<QLineEdit>("scaleEdit");
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(typed));
            QCOMPARE(f.find<QLineEdit>("scaleEdit")->text(), QString::fromLatin1(typed));
            f.click("applyButton");
            QCOMPARE(f.key("printerScale"), std::string(stored));
            QCOMPARE(f.state.printerScale, std::strtof(stored, nullptr));
            QVERIFY(!f.find<QPushButton>("applyButton")->isEnabled());
        }
        QCOMPARE(slider->value(), 50); // it follows what was typed
    }

    void sliderAndBoxShowWhatWasStored()
    {
        Fixture f;
        f.open();
        f.showPage(3);
        auto *slider = f.find<QSlider>("scaleSlider");
        auto *edit = f.find<QLineEdit>("scaleEdit");
        // Nothing stored yet: printing uses 1.0, and both say so.
        QCOMPARE(edit->text(), QStringLiteral("1.00"));
        QCOMPARE(slider->value(), 100);
        for (const char *typed : {"3.5", "0", "-2", "abc"}) {
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(typed));
            f.click("applyButton");
            QCOMPARE(f.key("printerScale"), std::string("1.000000"));
            QCOMPARE(edit->text(), QStringLiteral("1.00"));
            QCOMPARE(slider->value(), 100);
        }
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("2.5"));
        QCOMPARE(slider->value(), 250);
        f.click("okButton");
        QCOMPARE(f.key("printerScale"), std::string("2.500000"));
        f.open();
        f.showPage(3);
        QCOMPARE(f.find<QSlider>("scaleSlider")->value(), 250);
        QCOMPARE(f.find<QLineEdit>("scaleEdit")->text(), QStringLiteral("2.50"));
    }

    void theLoginGoesOnOnlyOnceAdminHasAPassword()
    {
        Fixture f;
        zentra::UserAccounts accounts(f.folder.databasePath());
        bool empty = false;
        QVERIFY(accounts.adminPasswordEmpty(empty) && empty);

        // Cancelled: the login stays off, and the user is told why.
        f.open();
        f.tick(f.find<QCheckBox>("loginPass"));
        answerAdminPassword("cancelButton");
        f.click("applyButton");
        QCOMPARE(f.key("loginPass"), std::string("0"));
        QVERIFY(!f.state.loginPass);
        QVERIFY(!f.find<QCheckBox>("loginPass")->isChecked());
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("管理员 admin 没有设置密码，进入系统的密码验证没有开启。"));

        // Two different passwords are refused and the dialog stays; then one
        // given twice alike is set and the login goes on.
        f.tick(f.find<QCheckBox>("loginPass"));
        QTimer::singleShot(0, [] {
            auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dlg || dlg->objectName() != QLatin1String("adminPasswordDialog"))
                return;
            dlg->findChild<QLineEdit *>("newPassword")->setText(QStringLiteral("店主1"));
            dlg->findChild<QLineEdit *>("confirmPassword")->setText(QStringLiteral("店主2"));
            dlg->findChild<QPushButton *>("okButton")->click();
            answerAdminPassword("okButton", QStringLiteral("店主1"), QStringLiteral("店主1"));
        });
        f.click("okButton");
        QCOMPARE(f.dialogs.asked.back().text, QStringLiteral("请输入正确的新密码！"));
        QCOMPARE(f.key("loginPass"), std::string("1"));
        QVERIFY(f.state.loginPass);
        QVERIFY(accounts.adminPasswordEmpty(empty) && !empty);
        QCOMPARE(zentra::UserLogin(f.folder.databasePath()).login("admin", "店主1", "2026-03-01 10:00:00", f.state),
                 zentra::UserLogin::Result::Ok);

        // Off and on again: admin has a password now, nothing is asked.
        f.state.loginPass = false;
        f.open();
        f.tick(f.find<QCheckBox>("loginPass"));
        const std::size_t asked = f.dialogs.asked.size();
        f.click("okButton");
        QCOMPARE(f.key("loginPass"), std::string("1"));
        QCOMPARE(f.dialogs.asked.size(), asked);
    }

    void okWritesThePagesAndCancelDropsThem()
    {
        Fixture f;
        f.open();
        f.showPage(2);
        f.tick(f.find<QRadioButton>("method2"));
        QVERIFY(f.find<QRadioButton>("method2")->isChecked());
        QVERIFY(f.find<QPushButton>("applyButton")->isEnabled());
        f.click("applyButton");
        QCOMPARE(f.key("tbRecognizeMethod"), std::string("1"));
        f.tick(f.find<QRadioButton>("method1"));
        f.tick(f.find<QCheckBox>("tbBrowserOpen"));
        f.showPage(1);
        f.choose(f.find<QComboBox>("fontHeight"), QStringLiteral("20"));
        f.choose(f.find<QComboBox>("fontStyle"), QStringLiteral("斜体"));
        f.find<CColorPickerCB>("fontColor")->selectColor(QColor(0, 0, 255));
        f.click("okButton");
        QVERIFY(!f.sheet->isVisible());
        QCOMPARE(f.key("tbRecognizeMethod"), std::string("0"));
        QCOMPARE(f.key("tbBrowserOpen"), std::string("1"));
        QCOMPARE(f.key("fontHeight"), std::string("20"));
        QCOMPARE(f.key("fontColor"), std::string("0,0,255"));
        QCOMPARE(f.state.fontHeight, 20);
        QCOMPARE(f.state.fontStyle, std::string("斜体"));
        QVERIFY(f.state.tbBrowserOpen);
        QCOMPARE(f.state.tbRecognizeMethod, 0);

        f.open();
        f.tick(f.find<QCheckBox>("loginPass"));
        f.click("cancelButton");
        QCOMPARE(f.key("loginPass"), std::string("0")); // as the first OK wrote it
        QVERIFY(!f.state.loginPass);
    }

    void printerAndItsOffsetAreStoredPerPrinter()
    {
        Fixture f;
        zentra::ConfigFile(f.config).writeText("PrinterOffset", "Label_Zebra", "-1.5,2.0");
        f.open();
        f.showPage(3);
        auto *box = f.find<QComboBox>("printerName");
        QCOMPARE(box->currentIndex(), -1);
        QVERIFY(!f.find<QPushButton>("calibrationButton")->isEnabled());
        f.choose(box, QStringLiteral("Label_Zebra"));
        QCOMPARE(f.find<QDoubleSpinBox>("offsetX")->value(), -1.5);
        QCOMPARE(f.find<QDoubleSpinBox>("offsetY")->value(), 2.0);
        f.click("calibrationButton");
        QCOMPARE(f.calibrated, QStringList{"Label_Zebra"});
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("无法在打印机“Label_Zebra”上打印校准页"));

        f.choose(box, QStringLiteral("Office_Laser"));
        QCOMPARE(f.find<QDoubleSpinBox>("offsetX")->value(), 0.0);
        auto *x = f.find<QDoubleSpinBox>("offsetX");
        x->selectAll();
        QTest::keyClicks(x, QStringLiteral("0.7"));
        f.find<QDoubleSpinBox>("offsetY")->setValue(-25); // held at the limit
        f.click("okButton");
        QCOMPARE(f.key("printerName"), std::string("Office_Laser"));
        QCOMPARE(f.state.printerName, std::string("Office_Laser"));
        const zentra::ConfigFile config(f.config);
        QCOMPARE(config.readText("PrinterOffset", "Office_Laser"), std::string("0.7,-20.0"));
        QCOMPARE(config.readText("PrinterOffset", "Label_Zebra"), std::string("-1.5,2.0"));

        // A typed name that is no printer's clears the choice.
        f.open();
        f.showPage(3);
        auto *edit = f.find<QComboBox>("printerName")->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Office"));
        QVERIFY(!f.find<QPushButton>("calibrationButton")->isEnabled());
        f.click("okButton");
        QCOMPARE(f.key("printerName"), std::string());
    }
};

QTEST_MAIN(CSysSetSheetTest)
#include "CSysSetSheet_test.moc"
