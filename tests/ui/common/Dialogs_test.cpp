#include "ui/common/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace zentra::ui;

namespace {

// What the real box showed, read while it is up, then closed with `answer`.
struct Seen {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    int width = 0;
    int captionWidth = 0;
};

void whenBoxIsUp(Seen &seen, QMessageBox::StandardButton answer)
{
    QTimer::singleShot(0, [&seen, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            whenBoxIsUp(seen, answer);
            return;
        }
        seen = {box->windowTitle(), box->icon(), box->text(), box->width(),
                box->fontMetrics().horizontalAdvance(box->windowTitle())};
        box->button(answer)->click();
    });
}

}

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void everyBoxHasACaptionAndAnIcon_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("shownCaption");
        QTest::addColumn<int>("shownIcon");
        using I = Dialogs::Icon;
        QTest::newRow("none given") << QString() << int(I::None) << "Zentra" << int(QMessageBox::Information);
        QTest::newRow("icon only") << QString() << int(I::Warning) << "Zentra" << int(QMessageBox::Warning);
        QTest::newRow("both given") << QStringLiteral("模板保存") << int(I::Warning) << "模板保存"
                                    << int(QMessageBox::Warning);
        QTest::newRow("caption only") << QStringLiteral("标签 - 删除") << int(I::None) << "标签 - 删除"
                                      << int(QMessageBox::Information);
        QTest::newRow("error") << QString() << int(I::Error) << "Zentra" << int(QMessageBox::Critical);
    }

    void everyBoxHasACaptionAndAnIcon()
    {
        QFETCH(QString, caption);
        QFETCH(int, icon);
        QFETCH(QString, shownCaption);
        QFETCH(int, shownIcon);
        QtDialogs dialogs;
        Seen seen;
        whenBoxIsUp(seen, QMessageBox::Ok);
        const auto answer =
            dialogs.message(nullptr, caption, QStringLiteral("请导入图片"), Dialogs::Buttons::Ok, Dialogs::Icon(icon));
        QCOMPARE(answer, Dialogs::Answer::Ok);
        QCOMPARE(seen.caption, shownCaption);
        QCOMPARE(int(seen.icon), shownIcon);
        QCOMPARE(seen.text, QStringLiteral("请导入图片"));
        // Wide enough for the title bar to show the caption beside its buttons.
        QVERIFY2(seen.width >= seen.captionWidth + 100, qPrintable(QString::number(seen.width)));
    }

    void cancelIsTheAnswerOfCancel()
    {
        QtDialogs dialogs;
        Seen seen;
        whenBoxIsUp(seen, QMessageBox::Cancel);
        QVERIFY(!dialogs.ask(nullptr, QStringLiteral("是否保存当前模板？"), QStringLiteral("模板保存")));
        QCOMPARE(seen.caption, QStringLiteral("模板保存"));
    }
};

QTEST_MAIN(DialogsTest)
#include "Dialogs_test.moc"
