#include <QtTest>

#include "Modal.h"
#include "ui/platform/MessageBox.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

// The real message boxes: each code the program uses gives the buttons, icon
// and default a desktop user expects, and each button its result.
class TestMessageBox : public QObject {
    Q_OBJECT
    QTranslator japanese_;

private slots:
    void initTestCase() {
        QVERIFY(japanese_.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                               QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&japanese_);
    }

    void codes_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<QString>("escapeButton");
        const QString ok = QStringLiteral("OK");
        const QString cancel = QStringLiteral("キャンセル");
        const QString retry = QStringLiteral("再試行");
        QTest::newRow("0 OK") << 0 << QStringList{ok} << int(QMessageBox::NoIcon) << ok << ok;
        QTest::newRow("16 OK, error")
            << 16 << QStringList{ok} << int(QMessageBox::Critical) << ok << ok;
        QTest::newRow("48 OK, warning")
            << 48 << QStringList{ok} << int(QMessageBox::Warning) << ok << ok;
        QTest::newRow("5 Retry/Cancel")
            << 5 << QStringList{retry, cancel} << int(QMessageBox::NoIcon) << retry << cancel;
        QTest::newRow("289 OK/Cancel, question, Cancel default")
            << 289 << QStringList{ok, cancel} << int(QMessageBox::Question) << cancel << cancel;
        QTest::newRow("1 OK/Cancel")
            << 1 << QStringList{ok, cancel} << int(QMessageBox::NoIcon) << ok << cancel;
    }
    void codes() {
        QFETCH(int, code);
        QFETCH(QStringList, buttons);
        QFETCH(int, icon);
        QFETCH(QString, defaultButton);
        QFETCH(QString, escapeButton);
        QMessageBox box;
        QtMessageBoxService::prepare(box, QStringLiteral("本文"), code, QString());
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

    void results_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("result");
        QTest::newRow("OK") << 0 << int(QMessageBox::Ok) << "1";
        QTest::newRow("OK of OK/Cancel") << 289 << int(QMessageBox::Ok) << "1";
        QTest::newRow("Cancel of OK/Cancel") << 289 << int(QMessageBox::Cancel) << "2";
        QTest::newRow("Retry") << 5 << int(QMessageBox::Retry) << "4";
        QTest::newRow("Cancel of Retry/Cancel") << 5 << int(QMessageBox::Cancel) << "2";
        QTest::newRow("Escape of OK/Cancel") << 289 << -1 << "2";
        QTest::newRow("Escape of OK only") << 48 << -1 << "1";
    }
    void results() {
        QFETCH(int, code);
        QFETCH(int, button);
        QFETCH(QString, result);
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
        MSG_RESULT.clear();
        MsgBox(QStringLiteral("続けますか"), code, QStringLiteral("注意"));
        QCOMPARE(MSG_RESULT, result);
        QCOMPARE(title, QStringLiteral("注意"));
    }
};

QTEST_MAIN(TestMessageBox)
#include "test_message_box.moc"
