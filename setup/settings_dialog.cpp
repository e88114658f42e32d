#include "setup/settings_dialog.h"

#include "chrome/dialog_units.h"
#include "chrome/prompter.h"
#include "setup/font_values.h"
#include "setup/settings_texts.h"
#include "store/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStringList>
#include <QStyle>
#include <algorithm>
#include <array>

namespace vorlex::setup {
namespace {

QString objectNameOf(SettingsDialog::CheckBox box) {
    switch (box) {
    case SettingsDialog::noAutoRecodingBox:
        return QStringLiteral("noAutoRecodingBox");
    case SettingsDialog::wrongFormatBox:
        return QStringLiteral("wrongFormatBox");
    case SettingsDialog::autoRecodeBox:
        return QStringLiteral("autoRecodeBox");
    case SettingsDialog::saveLastSchemeBox:
        return QStringLiteral("saveLastSchemeBox");
    case SettingsDialog::wAsVeBox:
        return QStringLiteral("wAsVeBox");
    case SettingsDialog::noSjBox:
        return QStringLiteral("noSjBox");
    case SettingsDialog::previewBox:
        return QStringLiteral("previewBox");
    case SettingsDialog::autoRecodeFileBox:
        return QStringLiteral("autoRecodeFileBox");
    case SettingsDialog::autoRecodeClipboardBox:
        return QStringLiteral("autoRecodeClipboardBox");
    case SettingsDialog::clipboardViewerBox:
        return QStringLiteral("clipboardViewerBox");
    case SettingsDialog::separateEnglishBox:
        return QStringLiteral("separateEnglishBox");
    case SettingsDialog::refineRankingBox:
        return QStringLiteral("refineRankingBox");
    }
    return {};
}

// Breaks @p text into lines no wider than @p width at spaces only (never after a hyphen), for
// the controls that do not wrap by themselves or wrap elsewhere. The spaces at a break go.
QString wrapped(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    QString spaces;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype j = i;
        while (j < text.size() && text[j] == QLatin1Char(' '))
            ++j;
        spaces = text.mid(i, j - i);
        i = j;
        while (j < text.size() && text[j] != QLatin1Char(' '))
            ++j;
        const QString word = text.mid(i, j - i);
        i = j;
        if (word.isEmpty())
            break;
        const QString longer = line + spaces + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
    }
    lines.push_back(line);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

SettingsDialog::SettingsDialog(store::SettingsStore& store, chrome::Prompter& prompter,
                               QWidget* parent)
    : CaptionedDialog(chrome::CaptionVariant::dialog, parent), store_(store), prompter_(prompter),
      textLanguage_(store::readLanguage(store)), stored_(store::readSettings(store)) {
    buildControls();
    showValues(stored_);
    applyLanguageTexts();
}

SettingsDialog::~SettingsDialog() {
    // Destroyed without a close (its owner went first): the values still reach the store.
    if (!saved_)
        save(checkPrecision(precision_->text()));
}

void SettingsDialog::buildControls() {
    const chrome::DialogUnits du(chrome::dialogFont());
    setFont(chrome::dialogFont());

    // The layout's widths suit a narrow face; where the texts of either language need more in
    // this font, the full-width rows, and the window with them, grow by the difference, so that
    // the window keeps its size when the language changes.
    QCheckBox probe;
    probe.setFont(font());
    const auto need = [&probe](SetupText id) {
        int width = 0;
        for (store::Language language : {store::Language::russian, store::Language::english}) {
            probe.setText(setupText(id, language));
            width = std::max(width, probe.sizeHint().width());
        }
        return width;
    };
    const int row = du.x(212);
    int extra = 0;
    for (SetupText id :
         {SetupText::clipboardViewer, SetupText::saveLastScheme, SetupText::previewOnDoubleClick,
          SetupText::wAsVe, SetupText::noSj, SetupText::separateEnglish, SetupText::refineRanking})
        extra = std::max(extra, need(id) - row);
    const std::array<int, 3> rowNeeds = {need(SetupText::afterSchemeChanged),
                                         need(SetupText::afterFileRead),
                                         need(SetupText::afterClipboardRead)};
    extra = std::max(extra, rowNeeds[0] + rowNeeds[1] + rowNeeds[2] + 2 * du.x(1) - row);
    const auto wide = [&](int top, int height) {
        QRect rect = du.rect(7, top, 212, height);
        rect.setWidth(rect.width() + extra);
        return rect;
    };
    const auto shifted = [&](QRect rect) { return rect.translated(extra, 0); };

    // Taller than the layout's first form by twelve units for the refined-ranking box above the
    // buttons and by fourteen for the output encoding below the precision.
    constexpr int kBelowPrecision = 14;
    setBodySize(QSize(du.x(226) + extra, du.y(217 + kBelowPrecision)));

    languageLabel_ = new QLabel(body());
    languageLabel_->setGeometry(du.rect(7, 4, 81, 8));
    russian_ = new QRadioButton(body());
    russian_->setObjectName(QStringLiteral("russianButton"));
    russian_->setGeometry(du.rect(103, 4, 46, 8));
    english_ = new QRadioButton(body());
    english_->setObjectName(QStringLiteral("englishButton"));
    english_->setGeometry(shifted(du.rect(179, 4, 43, 8)));
    connect(russian_, &QRadioButton::clicked, this, &SettingsDialog::languageClicked);
    connect(english_, &QRadioButton::clicked, this, &SettingsDialog::languageClicked);

    const auto addCheck = [&](CheckBox id, QRect rect) {
        auto* box = new QCheckBox(body());
        box->setObjectName(objectNameOf(id));
        box->setGeometry(rect);
        checks_[id] = box;
    };
    addCheck(noAutoRecodingBox, wide(19, 16));
    addCheck(wrongFormatBox, wide(39, 16));
    recodeAfter_ = new QLabel(body());
    recodeAfter_->setObjectName(QStringLiteral("recodeAfterLabel"));
    recodeAfter_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    recodeAfter_->setGeometry(wide(58, 8));
    // The three boxes of one row share what their texts leave free.
    const QRect line = wide(70, 8);
    const int gap = (line.width() - rowNeeds[0] - rowNeeds[1] - rowNeeds[2]) / 2;
    const int second = line.left() + rowNeeds[0] + gap;
    const int third = second + rowNeeds[1] + gap;
    addCheck(autoRecodeBox, QRect(line.left(), line.top(), rowNeeds[0], line.height()));
    addCheck(autoRecodeFileBox, QRect(second, line.top(), rowNeeds[1], line.height()));
    addCheck(autoRecodeClipboardBox,
             QRect(third, line.top(), line.right() + 1 - third, line.height()));
    addCheck(clipboardViewerBox, wide(83, 8));
    addCheck(saveLastSchemeBox, wide(97, 8));
    addCheck(previewBox, wide(112, 8));

    precision_ = new QLineEdit(body());
    precision_->setObjectName(QStringLiteral("precisionEdit"));
    precision_->setGeometry(du.rect(7, 126, 9, 12));
    precision_->setAlignment(Qt::AlignCenter);
    precision_->setTextMargins(0, 0, 0, 0);
    precision_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), precision_));
    precisionLabel_ = new QLabel(body());
    precisionLabel_->setObjectName(QStringLiteral("precisionLabel"));
    precisionLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect precisionRect = du.rect(19, 124, 200, 16);
    precisionRect.setWidth(precisionRect.width() + extra);
    precisionLabel_->setGeometry(precisionRect);

    // The recoding parameters end with the encoding of the files the program writes.
    encodingLabel_ = new QLabel(body());
    encodingLabel_->setObjectName(QStringLiteral("outputEncodingLabel"));
    int labelWidth = 0;
    for (store::Language language : {store::Language::russian, store::Language::english}) {
        encodingLabel_->setText(setupText(SetupText::outputEncodingLabel, language));
        labelWidth = std::max(labelWidth, encodingLabel_->sizeHint().width());
    }
    encodingLabel_->setGeometry(QRect(du.x(7), du.y(144), labelWidth, du.y(8)));
    encoding_ = new QComboBox(body());
    encoding_->setObjectName(QStringLiteral("outputEncodingBox"));
    encoding_->setGeometry(QRect(du.x(7) + labelWidth + du.x(4), du.y(142), du.x(70), du.y(12)));
    // One item per stored value, in the values' order; their texts come with the language.
    encoding_->addItems({QString(), QString()});

    const auto down = [&](QRect rect) { return rect.translated(0, du.y(kBelowPrecision)); };
    latinica_ = new QLabel(body());
    latinica_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    latinica_->setGeometry(down(wide(143, 8)));
    addCheck(wAsVeBox, down(wide(153, 8)));
    addCheck(noSjBox, down(wide(165, 8)));
    addCheck(separateEnglishBox, down(wide(177, 8)));
    addCheck(refineRankingBox, down(wide(189, 8)));

    fonts_ = new QPushButton(body());
    fonts_->setObjectName(QStringLiteral("fontsButton"));
    fonts_->setGeometry(down(du.rect(6, 201, 83, 13)));
    fonts_->setAutoDefault(false);
    connect(fonts_, &QPushButton::clicked, this, &SettingsDialog::chooseFont);
    close_ = new QPushButton(body());
    close_->setObjectName(QStringLiteral("closeButton"));
    close_->setGeometry(down(shifted(du.rect(180, 200, 43, 14))));
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &SettingsDialog::accept);
}

void SettingsDialog::showValues(const store::Settings& values) {
    const auto show = [this](CheckBox id, bool value) { checks_.at(id)->setChecked(value); };
    show(noAutoRecodingBox, values.showNoAutoRecoding);
    show(wrongFormatBox, values.showWrongClipboardFormat);
    show(autoRecodeBox, values.autoRecode);
    show(saveLastSchemeBox, values.saveLastScheme);
    show(wAsVeBox, values.wAsVe);
    show(noSjBox, values.noSj);
    show(previewBox, values.showPreviewOnDoubleClick);
    precision_->setText(QString::number(values.precision));
    show(autoRecodeFileBox, values.autoRecodeFile);
    show(autoRecodeClipboardBox, values.autoRecodeClipboard);
    // Any language but the two of the buttons checks neither.
    russian_->setChecked(values.language == store::Language::russian);
    english_->setChecked(values.language == store::Language::english);
    show(clipboardViewerBox, values.setClipboardViewer);
    show(separateEnglishBox, values.separateEnglish);
    show(refineRankingBox, values.refineRanking);
    encoding_->setCurrentIndex(static_cast<int>(values.outputEncoding));
}

store::Language SettingsDialog::radioValue() const {
    if (russian_->isChecked())
        return store::Language::russian;
    if (english_->isChecked())
        return store::Language::english;
    return store::Language::neither;
}

store::Settings SettingsDialog::takeValues(const PrecisionCheck& check) const {
    const auto take = [this](CheckBox id) { return checks_.at(id)->isChecked(); };
    store::Settings values = stored_;
    values.showNoAutoRecoding = take(noAutoRecodingBox);
    values.showWrongClipboardFormat = take(wrongFormatBox);
    values.autoRecode = take(autoRecodeBox);
    values.saveLastScheme = take(saveLastSchemeBox);
    values.wAsVe = take(wAsVeBox);
    values.noSj = take(noSjBox);
    values.showPreviewOnDoubleClick = take(previewBox);
    values.precision = check.result == PrecisionCheck::Result::ok ? check.value : stored_.precision;
    values.autoRecodeFile = take(autoRecodeFileBox);
    values.autoRecodeClipboard = take(autoRecodeClipboardBox);
    values.language = radioValue();
    values.setClipboardViewer = take(clipboardViewerBox);
    values.separateEnglish = take(separateEnglishBox);
    values.refineRanking = take(refineRankingBox);
    values.outputEncoding = store::outputEncodingOf(encoding_->currentIndex());
    return values;
}

PrecisionCheck SettingsDialog::checkPrecisionBox() {
    const PrecisionCheck check = checkPrecision(precision_->text());
    if (check.result != PrecisionCheck::Result::ok) {
        const SetupText message = check.result == PrecisionCheck::Result::outOfRange
                                      ? SetupText::precisionOutOfRange
                                      : SetupText::precisionNotANumber;
        prompter_.message(this, QCoreApplication::applicationName(),
                          setupText(message, textLanguage_));
    }
    return check;
}

void SettingsDialog::save(const PrecisionCheck& check) {
    saved_ = true;
    store::writeSettings(store_, takeValues(check),
                         check.result == PrecisionCheck::Result::ok
                             ? store::PrecisionWrite::write
                             : store::PrecisionWrite::keepStored);
}

void SettingsDialog::done(int result) {
    if (saved_) {
        CaptionedDialog::done(result);
        return;
    }
    const PrecisionCheck check = checkPrecisionBox();
    if (check.result != PrecisionCheck::Result::ok && result == QDialog::Accepted) {
        precision_->setFocus();
        precision_->selectAll();
        return;
    }
    save(check);
    CaptionedDialog::done(result);
}

void SettingsDialog::languageClicked() {
    checkPrecisionBox();
    textLanguage_ = radioValue();
    applyLanguageTexts();
}

void SettingsDialog::chooseFont() {
    const FontValues stored = readFontValues(store_);
    // Before any font was chosen the dialog starts on this window's own font.
    const QFont initial = stored.height == 0 ? font() : fontOf(stored, font());
    const std::optional<QFont> chosen = prompter_.chooseFont(this, initial);
    if (chosen)
        writeFontValues(store_, fontValuesOf(*chosen, logicalDpiY()));
}

void SettingsDialog::setCheckText(QCheckBox* box, const QString& text) {
    const QFontMetrics metrics(box->font());
    if (box->height() < 2 * metrics.height()) {
        box->setText(text);
        return;
    }
    // What the box needs besides its text: the indicator, the spacing and the style's margins.
    QCheckBox probe;
    probe.setFont(box->font());
    probe.setText(QStringLiteral("x"));
    const int overhead = probe.sizeHint().width() - metrics.horizontalAdvance(QStringLiteral("x"));
    box->setText(wrapped(text, metrics, box->width() - overhead));
}

void SettingsDialog::applyLanguageTexts() {
    setUpdatesEnabled(false);
    const store::Language language = textLanguage_;
    const auto text = [language](SetupText id) { return setupText(id, language); };
    setWindowTitle(text(SetupText::title));
    close_->setText(text(SetupText::closeButton));
    fonts_->setText(text(SetupText::fontsButton));
    const std::pair<CheckBox, SetupText> checkTexts[] = {
        {noAutoRecodingBox, SetupText::noAutoRecodingMessage},
        {wrongFormatBox, SetupText::wrongFormatMessage},
        {autoRecodeBox, SetupText::afterSchemeChanged},
        {autoRecodeFileBox, SetupText::afterFileRead},
        {autoRecodeClipboardBox, SetupText::afterClipboardRead},
        {saveLastSchemeBox, SetupText::saveLastScheme},
        {previewBox, SetupText::previewOnDoubleClick},
        {wAsVeBox, SetupText::wAsVe},
        {noSjBox, SetupText::noSj},
        {clipboardViewerBox, SetupText::clipboardViewer},
        {separateEnglishBox, SetupText::separateEnglish},
        {refineRankingBox, SetupText::refineRanking},
    };
    for (const auto& [id, textId] : checkTexts)
        setCheckText(checks_.at(id), text(textId));
    recodeAfter_->setText(text(SetupText::recodeAfterHeading));
    precisionLabel_->setText(wrapped(text(SetupText::precisionLabel),
                                     QFontMetrics(precisionLabel_->font()),
                                     precisionLabel_->width()));
    languageLabel_->setText(text(SetupText::languageLabel));
    russian_->setText(text(SetupText::russianButton));
    english_->setText(text(SetupText::englishButton));
    latinica_->setText(text(SetupText::latinicaHeading));
    encodingLabel_->setText(text(SetupText::outputEncodingLabel));
    encoding_->setItemText(static_cast<int>(store::OutputEncoding::win1251),
                           text(SetupText::win1251Item));
    encoding_->setItemText(static_cast<int>(store::OutputEncoding::utf8),
                           text(SetupText::utf8Item));
    setUpdatesEnabled(true);
    update();
}

store::Settings runSettingsDialog(store::SettingsStore& store, chrome::Prompter& prompter,
                                  QWidget* parent) {
    {
        SettingsDialog dialog(store, prompter, parent);
        dialog.exec();
    }
    return store::readSettings(store);
}

} // namespace vorlex::setup
