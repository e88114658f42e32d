// The settings dialog, headless, on a memory store; messages and the font dialog are answered
// by the queued prompter.
#include "setup/font_values.h"
#include "setup/settings_dialog.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"
#include "tests/support/queued_prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace vorlex;
using namespace vorlex::setup;
using store::readSetting;
using store::writeSetting;
using Box = SettingsDialog::CheckBox;

namespace {

constexpr int kAbsent = -12345;

int stored(const store::SettingsStore& store, const store::IntSetting& setting) {
    return store.readInt(setting.section, setting.name, kAbsent);
}

} // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        store = std::make_unique<store::MemorySettingsStore>();
        prompter.clear();
    }
    void cleanup() {
        QVERIFY2(prompter.problems().isEmpty(), qPrintable(prompter.problems().join('\n')));
    }

    void emptyStoreShowsTheDefaultsAndCloseWritesThemAll() {
        SettingsDialog dialog(*store, prompter);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Program setup"));
        QCOMPARE(dialog.closeButton()->text(), QStringLiteral("Close"));
        QCOMPARE(dialog.precisionEdit()->text(), QStringLiteral("7"));
        QVERIFY(dialog.englishButton()->isChecked());
        QVERIFY(!dialog.russianButton()->isChecked());
        const Box checked[] = {Box::autoRecodeBox, Box::autoRecodeFileBox,
                               Box::autoRecodeClipboardBox, Box::clipboardViewerBox,
                               Box::saveLastSchemeBox};
        const Box unchecked[] = {
            Box::noAutoRecodingBox, Box::wrongFormatBox,     Box::wAsVeBox,        Box::noSjBox,
            Box::previewBox,        Box::separateEnglishBox, Box::refineRankingBox};
        for (Box id : checked)
            QVERIFY2(dialog.checkBox(id)->isChecked(), qPrintable(QString::number(id)));
        for (Box id : unchecked)
            QVERIFY2(!dialog.checkBox(id)->isChecked(), qPrintable(QString::number(id)));
        QCOMPARE(dialog.checkBox(Box::refineRankingBox)->text(),
                 QStringLiteral("Refine the order of variants"));
        QCOMPARE(dialog.checkBox(Box::wAsVeBox)->text(),
                 QString::fromUtf8("Recode \"W\" as \"В\" (otherwise as \"Щ\")"));

        dialog.closeButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(stored(*store, store::kPrecision), 7);
        QCOMPARE(stored(*store, store::kLanguage), 1);
        QCOMPARE(stored(*store, store::kSetClipboardViewer), 1);
        QCOMPARE(stored(*store, store::kShowNoAutoRecoding), 0);
        QCOMPARE(stored(*store, store::kSeparateEnglish), 0);
        QCOMPARE(stored(*store, store::kRefineRanking), 0);
    }

    void russianRelabelsAtOnceAndEscStoresIt() {
        SettingsDialog dialog(*store, prompter);
        dialog.russianButton()->click();
        QCOMPARE(dialog.textLanguage(), store::Language::russian);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Установки программы"));
        QCOMPARE(dialog.fontsButton()->text(), QString::fromUtf8("Шрифты"));
        QCOMPARE(dialog.checkBox(Box::separateEnglishBox)->text(),
                 QString::fromUtf8("Отделять английские слова"));
        QCOMPARE(dialog.russianButton()->text(), QStringLiteral("Russian"));
        QCOMPARE(stored(*store, store::kLanguage), kAbsent); // not before the dialog closes
        dialog.reject();
        QCOMPARE(stored(*store, store::kLanguage), 0);
    }

    void escKeepsAnUncheckedViewerAndTheRefinedRanking() {
        SettingsDialog dialog(*store, prompter);
        dialog.checkBox(Box::clipboardViewerBox)->click();
        dialog.checkBox(Box::refineRankingBox)->click();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(stored(*store, store::kSetClipboardViewer), 0);
        QCOMPARE(stored(*store, store::kRefineRanking), 1);
    }

    // "Write files as": UTF-8 when nothing or garbage is stored, the choice written on close,
    // the label in the dialog's language.
    void outputEncodingBox() {
        writeSetting(*store, store::kOutputEncoding, 5);
        {
            SettingsDialog dialog(*store, prompter);
            QCOMPARE(dialog.outputEncodingBox()->currentText(), QStringLiteral("UTF-8"));
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("outputEncodingLabel"))->text(),
                     QStringLiteral("Write files as"));
            dialog.russianButton()->click();
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("outputEncodingLabel"))->text(),
                     QString::fromUtf8("Записывать файлы в"));
            QCOMPARE(dialog.outputEncodingBox()->currentText(), QStringLiteral("UTF-8"));
            dialog.outputEncodingBox()->setCurrentIndex(
                dialog.outputEncodingBox()->findText(QStringLiteral("Windows-1251")));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }
        QCOMPARE(stored(*store, store::kOutputEncoding), 0);
        SettingsDialog dialog(*store, prompter);
        QCOMPARE(dialog.outputEncodingBox()->currentText(), QStringLiteral("Windows-1251"));
        dialog.accept();
    }

    void storedPrecisionIsShownClamped() {
        writeSetting(*store, store::kPrecision, 12);
        {
            SettingsDialog dialog(*store, prompter);
            QCOMPARE(dialog.precisionEdit()->text(), QStringLiteral("9"));
            dialog.accept();
        }
        QCOMPARE(stored(*store, store::kPrecision), 9);
        writeSetting(*store, store::kPrecision, -3);
        SettingsDialog dialog(*store, prompter);
        QCOMPARE(dialog.precisionEdit()->text(), QStringLiteral("0"));
    }

    void badPrecisionKeepsCloseFromClosingAndIsNeverStored() {
        writeSetting(*store, store::kPrecision, 4);
        SettingsDialog dialog(*store, prompter);
        dialog.precisionEdit()->setText(QStringLiteral("12"));
        dialog.checkBox(Box::noSjBox)->click();
        prompter.expectMessage(QStringLiteral("Please enter an integer between 0 and 9."));
        dialog.closeButton()->click();
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(stored(*store, store::kNoSj), kAbsent);

        // Esc closes all the same; everything but the precision is stored.
        dialog.precisionEdit()->clear();
        prompter.expectMessage(QStringLiteral("Please enter an integer."));
        dialog.reject();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(stored(*store, store::kPrecision), 4);
        QCOMPARE(stored(*store, store::kNoSj), 1);
    }

    void precisionBoxTakesDigitsOnly() {
        SettingsDialog dialog(*store, prompter);
        dialog.precisionEdit()->clear();
        QTest::keyClicks(dialog.precisionEdit(), QStringLiteral("-a5"));
        QCOMPARE(dialog.precisionEdit()->text(), QStringLiteral("5"));
    }

    void unknownLanguageChecksNeitherAndStoresMinusOne() {
        writeSetting(*store, store::kLanguage, 5);
        SettingsDialog dialog(*store, prompter);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Program setup"));
        QVERIFY(!dialog.russianButton()->isChecked());
        QVERIFY(!dialog.englishButton()->isChecked());
        dialog.accept();
        QCOMPARE(stored(*store, store::kLanguage), -1);
    }

    void destroyedWithoutClosingStillWrites() {
        {
            SettingsDialog dialog(*store, prompter);
            dialog.checkBox(Box::previewBox)->click();
        }
        QCOMPARE(stored(*store, store::kShowPreviewOnDoubleClick), 1);
    }

    void fontsStartOnTheOwnFontAndWriteAtOnce() {
        SettingsDialog dialog(*store, prompter);
        prompter.expectFont(std::nullopt);
        dialog.fontsButton()->click();
        QCOMPARE(prompter.lastInitialFont(), dialog.font());
        QCOMPARE(stored(*store, store::kFontHeight), kAbsent);

        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPixelSize(18);
        chosen.setItalic(true);
        prompter.expectFont(chosen);
        dialog.fontsButton()->click();
        QCOMPARE(stored(*store, store::kFontHeight), -18);
        QCOMPARE(stored(*store, store::kFontItalic), 1);
        QCOMPARE(readSetting(*store, store::kFontName), std::string("DejaVu Serif"));

        // The next time it starts on the stored font; Esc keeps it.
        prompter.expectFont(std::nullopt);
        dialog.fontsButton()->click();
        QCOMPARE(prompter.lastInitialFont().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(prompter.lastInitialFont().pixelSize(), 18);
        dialog.reject();
        QCOMPARE(stored(*store, store::kFontHeight), -18);
    }

    void controlsNeitherOverlapNorClipTheirTexts() {
        for (int language : {0, 1}) {
            writeSetting(*store, store::kLanguage, language);
            SettingsDialog dialog(*store, prompter);
            QCOMPARE(dialog.textLanguage(), store::languageOf(language));
            const QList<QWidget*> controls =
                dialog.body()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            QVERIFY(controls.size() >= 20);
            for (int i = 0; i < controls.size(); ++i) {
                QWidget* control = controls[i];
                QVERIFY(dialog.body()->rect().contains(control->geometry()));
                if (control != dialog.precisionEdit()) {
                    // Every line of its text within its height, all of it within its width.
                    // Buttons ask for a minimum width of the style: their text is what counts.
                    const QSize hint = qobject_cast<QPushButton*>(control) != nullptr
                                           ? QSize(control->fontMetrics().horizontalAdvance(
                                                       control->property("text").toString()) +
                                                       8,
                                                   0)
                                           : control->sizeHint();
                    const QString text = control->property("text").toString();
                    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
                    QVERIFY2(
                        hint.width() <= control->width() &&
                            lines * control->fontMetrics().height() <= control->height() + 2,
                        qPrintable(control->objectName() + QStringLiteral(" needs %1x%2, has %3x%4")
                                                               .arg(hint.width())
                                                               .arg(hint.height())
                                                               .arg(control->width())
                                                               .arg(control->height())));
                }
                for (int j = i + 1; j < controls.size(); ++j)
                    QVERIFY2(!control->geometry().intersects(controls[j]->geometry()),
                             qPrintable(control->objectName() + QLatin1Char('/') +
                                        controls[j]->objectName()));
            }
        }
    }

    void commandRunsModallyAndReturnsWhatTheWindowReReads() {
        writeSetting(*store, store::kLastScheme, "Koi->Win");
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->russianButton()->click();
            dialog->checkBox(Box::noSjBox)->click();
            dialog->closeButton()->click();
        });
        const store::Settings after = runSettingsDialog(*store, prompter, nullptr);
        QCOMPARE(after.language, store::Language::russian);
        QVERIFY(after.noSj);
        QCOMPARE(after.lastScheme, std::string("Koi->Win"));
    }

private:
    std::unique_ptr<store::MemorySettingsStore> store;
    testing::QueuedPrompter prompter;
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
