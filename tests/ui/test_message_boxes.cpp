#include <QtTest>

#include "Modal.h"
#include "ui/services/MessageBoxes.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

// The real message boxes: each kind the program uses gives the buttons, icon
// and default a desktop user expects, and each button its answer.

namespace {

Message kind(Icon icon, Buttons buttons, bool cancelIsDefault = false) {
    Message message(QStringLiteral("本文"), QString(), icon, buttons);
    message.cancelIsDefault = cancelIsDefault;
    return message;
}

}  // namespace

Q_DECLARE_METATYPE(Message)
Q_DECLARE_METATYPE(Answer)
class TestMessageBoxes : public QObject {
    Q_OBJECT
    QTranslator japanese_;

private slots:
    void initTestCase() {
        QVERIFY(japanese_.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                               QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&japanese_);
    }

    void kinds_data() {
        QTest::addColumn<Message>("message");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<QString>("escapeButton");
        const QString ok = QStringLiteral("OK");
        const QString cancel = QStringLiteral("キャンセル");
        const QString retry = QStringLiteral("再試行");
        QTest::newRow("OK") << kind(Icon::None, Buttons::Ok) << QStringList{ok}
                            << int(QMessageBox::NoIcon) << ok << ok;
        QTest::newRow("OK, error") << kind(Icon::Error, Buttons::Ok) << QStringList{ok}
                                   << int(QMessageBox::Critical) << ok << ok;
        QTest::newRow("OK, warning") << kind(Icon::Warning, Buttons::Ok) << QStringList{ok}
                                     << int(QMessageBox::Warning) << ok << ok;
        QTest::newRow("Retry/Cancel")
            << kind(Icon::None, Buttons::RetryCancel) << QStringList{retry, cancel}
            << int(QMessageBox::NoIcon) << retry << cancel;
        QTest::newRow("OK/Cancel, question, Cancel default")
            << kind(Icon::Question, Buttons::OkCancel, true) << QStringList{ok, cancel}
            << int(QMessageBox::Question) << cancel << cancel;
        QTest::newRow("OK/Cancel") << kind(Icon::None, Buttons::OkCancel) << QStringList{ok, cancel}
                                   << int(QMessageBox::NoIcon) << ok << cancel;
    }
    void kinds() {
        QFETCH(Message, message);
        QFETCH(QStringList, buttons);
        QFETCH(int, icon);
        QFETCH(QString, defaultButton);
        QFETCH(QString, escapeButton);
        QMessageBox box;
        QtMessageBoxService::prepare(box, message);
        QCOMPARE(box.windowTitle(), QStringLiteral("Tolvane"));  // an empty title
        QCOMPARE(box.text(), QStringLiteral("本文"));
        QCOMPARE(int(box.icon()), icon);
        QStringList shown;
        for (QAbstractButton* b : box.buttons())
            shown << b->text().remove(QLatin1Char('&'));
        shown.sort();
        buttons.sort();
        QCOMPARE(shown, buttons);
        QCOMPARE(box.defaultButton()->text().remove(QLatin1Char('&')), defaultButton);
        QVERIFY(box.escapeButton());
        QCOMPARE(box.escapeButton()->text().remove(QLatin1Char('&')), escapeButton);
    }

    void answers_data() {
        QTest::addColumn<Message>("message");
        QTest::addColumn<int>("button");
        QTest::addColumn<Answer>("answer");
        const Message okOnly = kind(Icon::Warning, Buttons::Ok);
        const Message question = kind(Icon::Question, Buttons::OkCancel, true);
        const Message retry = kind(Icon::None, Buttons::RetryCancel);
        QTest::newRow("OK") << kind(Icon::None, Buttons::Ok) << int(QMessageBox::Ok) << Answer::Ok;
        QTest::newRow("OK of OK/Cancel") << question << int(QMessageBox::Ok) << Answer::Ok;
        QTest::newRow("Cancel of OK/Cancel")
            << question << int(QMessageBox::Cancel) << Answer::Cancel;
        QTest::newRow("Retry") << retry << int(QMessageBox::Retry) << Answer::Retry;
        QTest::newRow("Cancel of Retry/Cancel")
            << retry << int(QMessageBox::Cancel) << Answer::Cancel;
        QTest::newRow("Escape of OK/Cancel") << question << -1 << Answer::Cancel;
        QTest::newRow("Escape of OK only") << okOnly << -1 << Answer::Ok;
    }
    void answers() {
        QFETCH(Message, message);
        QFETCH(int, button);
        QFETCH(Answer, answer);
        message.title = QStringLiteral("注意");
        QString title;
        whenModalAppears([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            title = box->windowTitle();
            if (button < 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(QMessageBox::StandardButton(button))->click();
        });
        QCOMPARE(showMessage(nullptr, message), answer);
        QCOMPARE(title, QStringLiteral("注意"));
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
