#include "ui/widgets/generator_panel.h"

#include "crypto/wipe.h"
#include "storage/codepage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>

namespace tessary {

namespace {

const QString settingsGroup = QStringLiteral("Generator");

QSettings programSettings()
{
    return QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
}

} // namespace

GeneratorPanel::GeneratorPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Generator"), parent),
      m_characters(new QRadioButton(QStringLiteral("&Random characters"), this)),
      m_length(new QSpinBox(this)), m_classes{new QCheckBox(QStringLiteral("&Upper case"), this),
                                              new QCheckBox(QStringLiteral("&Lower case"), this),
                                              new QCheckBox(QStringLiteral("&Digits"), this),
                                              new QCheckBox(QStringLiteral("&Symbols"), this)},
      m_noLookAlikes(new QCheckBox(QStringLiteral("No look-&alikes (0 O o 1 l I |)"), this)),
      m_words(new QRadioButton(QStringLiteral("&Words:"), this)), m_wordCount(new QSpinBox(this)),
      m_separator(new QLineEdit(this)), m_generate(new QPushButton(QStringLiteral("&Generate"), this)),
      m_result(new QLabel(this))
{
    setObjectName(QStringLiteral("generator"));
    m_characters->setObjectName(QStringLiteral("generateCharacters"));
    m_length->setObjectName(QStringLiteral("generateLength"));
    m_length->setRange(GeneratorOptions::minimumLength, GeneratorOptions::maximumLength);
    const char* classNames[] = {"generateUpper", "generateLower", "generateDigits", "generateSymbols"};
    for (int i = 0; i < 4; ++i)
        m_classes[i]->setObjectName(QLatin1String(classNames[i]));
    m_noLookAlikes->setObjectName(QStringLiteral("generateNoLookAlikes"));
    m_words->setObjectName(QStringLiteral("generateWords"));
    m_wordCount->setObjectName(QStringLiteral("generateWordCount"));
    m_wordCount->setAccessibleName(QStringLiteral("Number of words"));
    m_separator->setObjectName(QStringLiteral("generateSeparator"));
    m_separator->setMaxLength(3);
    m_separator->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMMMM")));
    m_generate->setObjectName(QStringLiteral("generatePassword"));
    m_generate->setAutoDefault(false);
    m_result->setObjectName(QStringLiteral("generatedBits"));
    m_result->setTextFormat(Qt::PlainText);
    m_result->setWordWrap(true);

    auto* lengthLabel = new QLabel(QStringLiteral("Leng&th:"), this);
    lengthLabel->setBuddy(m_length);
    auto* separatorLabel = new QLabel(QStringLiteral("&Joined by:"), this);
    separatorLabel->setBuddy(m_separator);

    auto* grid = new QGridLayout(this);
    auto* characters = new QHBoxLayout;
    characters->addWidget(m_characters);
    characters->addWidget(lengthLabel);
    characters->addWidget(m_length);
    characters->addStretch();
    grid->addLayout(characters, 0, 0, 1, 2);
    auto* classes = new QHBoxLayout;
    classes->setContentsMargins(16, 0, 0, 0);
    for (QCheckBox* box : m_classes)
        classes->addWidget(box);
    classes->addStretch();
    grid->addLayout(classes, 1, 0, 1, 2);
    auto* lookAlikes = new QHBoxLayout;
    lookAlikes->setContentsMargins(16, 0, 0, 0);
    lookAlikes->addWidget(m_noLookAlikes);
    lookAlikes->addStretch();
    grid->addLayout(lookAlikes, 2, 0, 1, 2);
    auto* words = new QHBoxLayout;
    words->addWidget(m_words);
    words->addWidget(m_wordCount);
    words->addWidget(separatorLabel);
    words->addWidget(m_separator);
    words->addStretch();
    grid->addLayout(words, 3, 0, 1, 2);
    grid->addWidget(m_generate, 4, 0);
    grid->addWidget(m_result, 4, 1);
    grid->setColumnStretch(1, 1);

    QSettings settings = programSettings();
    settings.beginGroup(settingsGroup);
    GeneratorOptions options;
    options.kind = settings.value(QStringLiteral("Words"), false).toBool() ? GeneratorOptions::Kind::Words
                                                                           : GeneratorOptions::Kind::Characters;
    options.length = settings.value(QStringLiteral("Length"), options.length).toInt();
    options.classes =
        settings.value(QStringLiteral("Classes"), options.classes).toUInt() & GeneratorOptions::AllClasses;
    options.noLookAlikes = settings.value(QStringLiteral("NoLookAlikes"), false).toBool();
    options.words = settings.value(QStringLiteral("WordCount"), options.words).toInt();
    options.separator = settings.value(QStringLiteral("Separator"), options.separator).toByteArray();
    setOptions(options);

    for (QAbstractButton* button : {static_cast<QAbstractButton*>(m_characters), static_cast<QAbstractButton*>(m_words),
                                    static_cast<QAbstractButton*>(m_noLookAlikes)})
        connect(button, &QAbstractButton::toggled, this, &GeneratorPanel::optionsChanged);
    for (QCheckBox* box : m_classes)
        connect(box, &QCheckBox::toggled, this, &GeneratorPanel::optionsChanged);
    for (QSpinBox* box : {m_length, m_wordCount})
        connect(box, &QSpinBox::valueChanged, this, &GeneratorPanel::optionsChanged);
    connect(m_separator, &QLineEdit::textChanged, this, &GeneratorPanel::optionsChanged);
    connect(m_generate, &QPushButton::clicked, this, &GeneratorPanel::generate);
}

GeneratorOptions GeneratorPanel::options() const
{
    GeneratorOptions options;
    options.kind = m_words->isChecked() ? GeneratorOptions::Kind::Words : GeneratorOptions::Kind::Characters;
    options.length = m_length->value();
    options.classes = 0;
    const GeneratorOptions::Class classes[] = {GeneratorOptions::Upper, GeneratorOptions::Lower,
                                               GeneratorOptions::Digits, GeneratorOptions::Symbols};
    for (int i = 0; i < 4; ++i) {
        if (m_classes[i]->isChecked())
            options.classes |= classes[i];
    }
    options.noLookAlikes = m_noLookAlikes->isChecked();
    options.words = m_wordCount->value();
    // A character outside the code page stands in as one the generator refuses, with its reason.
    options.separator = fitsCodePage(m_separator->text()) ? toCodePage(m_separator->text()) : QByteArray("\x01");
    return options;
}

void GeneratorPanel::setOptions(const GeneratorOptions& options)
{
    const bool words = options.kind == GeneratorOptions::Kind::Words;
    m_characters->setChecked(!words);
    m_words->setChecked(words);
    m_length->setValue(options.length);
    const GeneratorOptions::Class classes[] = {GeneratorOptions::Upper, GeneratorOptions::Lower,
                                               GeneratorOptions::Digits, GeneratorOptions::Symbols};
    for (int i = 0; i < 4; ++i)
        m_classes[i]->setChecked(options.classes & classes[i]);
    m_noLookAlikes->setChecked(options.noLookAlikes);
    m_wordCount->setRange(GeneratorOptions::minimumWords, maximumWords(0));
    m_wordCount->setValue(options.words);
    m_separator->setText(fromCodePage(options.separator));
    optionsChanged();
}

void GeneratorPanel::optionsChanged()
{
    const bool words = m_words->isChecked();
    m_length->setEnabled(!words);
    for (QCheckBox* box : m_classes)
        box->setEnabled(!words);
    m_noLookAlikes->setEnabled(!words);
    m_wordCount->setEnabled(words);
    m_separator->setEnabled(words);
    const GeneratorOptions chosen = options();
    const QString refusal = generatorRefusal(chosen);
    m_generate->setEnabled(refusal.isEmpty());
    m_result->setText(refusal);

    QSettings settings = programSettings();
    settings.beginGroup(settingsGroup);
    settings.setValue(QStringLiteral("Words"), words);
    settings.setValue(QStringLiteral("Length"), chosen.length);
    settings.setValue(QStringLiteral("Classes"), chosen.classes);
    settings.setValue(QStringLiteral("NoLookAlikes"), chosen.noLookAlikes);
    settings.setValue(QStringLiteral("WordCount"), chosen.words);
    if (refusal.isEmpty() || !words)
        settings.setValue(QStringLiteral("Separator"), chosen.separator);
}

void GeneratorPanel::generate()
{
    GeneratedPassword made = generatePassword(options());
    if (made.password.isEmpty()) {
        m_result->setText(generatorRefusal(options()));
        return;
    }
    QString password = fromCodePage(made.password);
    wipe(made.password);
    emit generated(password);
    release(password); // the password box holds it now
    m_result->setText(generatedBitsText(made.bits));
}

QString GeneratorPanel::resultText() const
{
    return m_result->text();
}

QString generatedBitsText(double bits)
{
    return QStringLiteral("%1 bits").arg(bits, 0, 'f', 1);
}

} // namespace tessary
