#pragma once

#include "crypto/password_generator.h"

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tessary {

// The password generator's options and its "&Generate" button, for every window that makes a key's password.
// The options are kept in the settings store, so each window starts with the last ones used.
class GeneratorPanel : public QGroupBox
{
    Q_OBJECT
public:
    explicit GeneratorPanel(QWidget* parent = nullptr);

    GeneratorOptions options() const;
    void setOptions(const GeneratorOptions& options);
    QPushButton* generateButton() const { return m_generate; }
    // What the last press made (its bits) or why it made nothing.
    QString resultText() const;

    // Makes a password with the options shown: `generated` carries it, or the line below says why not.
    void generate();

signals:
    // The host puts the password in its fields; it is wiped here once they have it.
    void generated(const QString& password);

private:
    void optionsChanged();

    QRadioButton* m_characters;
    QSpinBox* m_length;
    QCheckBox* m_classes[4];
    QCheckBox* m_noLookAlikes;
    QRadioButton* m_words;
    QSpinBox* m_wordCount;
    QLineEdit* m_separator;
    QPushButton* m_generate;
    QLabel* m_result;
};

// "128.3 bits": the generator's entropy for the password it made.
QString generatedBitsText(double bits);

} // namespace tessary
