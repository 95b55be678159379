#include "ui/about/frm_about.h"

#include "ui/about/tempest.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/twips.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tessary {

namespace {

// The design, in twips: the client area when the window opens, and the window's height once the key shows.
constexpr int designWidth = 5670;
constexpr int designHeight = 3180;
constexpr int enlargedHeight = 6210;

const QColor lightGrey(0xC0, 0xC0, 0xC0);

// The design's face where the system has it, else a condensed one of about its width.
QFont designFont(const QString& family, int points, const QString& standIn)
{
    QFont font;
    font.setFamilies({family, standIn});
    font.setPointSize(points);
    return font;
}

// The maker's logo for Picture1: the program's key icon over the maker's name.
QPixmap makerLogo(const QFont& font)
{
    QPixmap picture(65, 88);
    picture.fill(lightGrey);
    QPainter p(&picture);
    p.drawPixmap(1, 2, programIcon().pixmap(64, 64));
    QFont small = font;
    small.setPointSize(6);
    p.setFont(small);
    p.drawText(QRect(0, 66, 65, 22), Qt::AlignCenter, QStringLiteral("OrvalenSoft"));
    return picture;
}

QString tempestTestText()
{
    return QStringLiteral("Hello, World!");
}

QString pgpKeyText()
{
    QFile file(QStringLiteral(":/pgp_key.txt"));
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(file.readAll());
}

} // namespace

FrmAbout::FrmAbout(QWidget* owner, const QString& libraryVersion)
    : QDialog(owner), m_label5(new QLabel(this)), m_command1(new QPushButton(QStringLiteral("&PGP Key"), this)),
      m_cmdOK(new QPushButton(QStringLiteral("&OK"), this)), m_pgpKey(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(aboutCaption());
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, lightGrey);
    colours.setColor(QPalette::Button, lightGrey);
    setPalette(colours);
    setAutoFillBackground(true);
    setFixedSize(twipsOn(*this, designWidth), twipsOn(*this, designHeight));
    setFont(designFont(QStringLiteral("MS Sans Serif"), 8, QStringLiteral("DejaVu Sans Condensed")));

    // Below the key box, as in the design, so the box covers them once it shows.
    const QPixmap icon = programIcon().pixmap(42, 42);
    for (auto [name, x, lit] : {std::tuple{"logoLit", 120, true}, std::tuple{"logoUnlit", 840, false}}) {
        auto* logo = new QLabel(this);
        logo->setPixmap(lit ? icon : QPixmap::fromImage(icon.toImage().convertToFormat(QImage::Format_Grayscale8)));
        placeInTwips(logo, name, x, 3720, 620, 620);
    }

    auto* title = new QLabel(QStringLiteral("Tessary v0.1"), this);
    title->setFont(designFont(QStringLiteral("Times New Roman"), 15, QStringLiteral("DejaVu Serif Condensed")));
    placeInTwips(title, "lblTitle", 120, 360, 1725, 480);
    auto* release = new QLabel(QStringLiteral("Alpha II"), this);
    QFont italic = designFont(QStringLiteral("Times New Roman"), 15, QStringLiteral("DejaVu Serif Condensed"));
    italic.setItalic(true);
    release->setFont(italic);
    placeInTwips(release, "Label1", 1800, 120, 1845, 480);

    auto* picture = new QLabel(this);
    picture->setPixmap(makerLogo(font()));
    placeInTwips(picture, "Picture1", 4560, 120, 975, 1320);

    const char* notices[][2] = {{"Label2", "A password manager for shared desktops."},
                                {"Label3", "\u00a9 2026 OrvalenSoft. All rights reserved."},
                                {"Label4", "Provided as is, without any warranty."}};
    int top = 1080;
    for (const auto& [name, text] : notices) {
        auto* notice = new QLabel(QString::fromUtf8(text), this);
        placeInTwips(notice, name, 120, top, 4335, 375);
        top += 375;
    }
    placeInTwips(m_label5, "Label5", 120, 2280, 5415, 255);

    auto* command2 = new QPushButton(QStringLiteral("Command2"), this);
    placeInTwips(command2, "Command2", 720, 2880, 1455, 255);
    command2->setAccessibleName(QStringLiteral("Draw Hello, World!"));
    placeInTwips(m_command1, "Command1", 2880, 2760, 1260, 345);
    placeInTwips(m_cmdOK, "cmdOK", 4245, 2760, 1260, 345);
    m_cmdOK->setDefault(true);

    placeInTwips(m_pgpKey, "pgpKey", 120, 3240, 5415, 2415);
    m_pgpKey->raise();
    m_pgpKey->setFont(designFont(QStringLiteral("Small Fonts"), 6, QStringLiteral("DejaVu Sans Condensed")));
    m_pgpKey->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pgpKey->setReadOnly(true);
    m_pgpKey->setPlainText(pgpKeyText());
    m_pgpKey->setAccessibleName(QStringLiteral("PGP key"));
    // Read and selected by keyboard too, once it shows; until then Tab passes it by.
    m_pgpKey->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_pgpKey->setFocusPolicy(Qt::NoFocus);
    QPalette keyColours = m_pgpKey->palette();
    keyColours.setColor(QPalette::Base, QColor(0xD0, 0xD0, 0xD0));
    m_pgpKey->setPalette(keyColours);

    connect(m_cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);
    connect(m_command1, &QPushButton::clicked, this, &FrmAbout::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &FrmAbout::Command2_Click);
    m_cmdOK->setFocus();

    Form_Load(libraryVersion);
}

void FrmAbout::Form_Load(const QString& libraryVersion)
{
    m_label5->setText(QStringLiteral("Tessary DLL Version Number: v") + libraryVersion +
                      QStringLiteral(" (We need v0.1 or better to work)"));
}

void FrmAbout::cmdOK_Click()
{
    accept();
}

void FrmAbout::reject()
{
    cmdOK_Click();
}

void FrmAbout::Command1_Click()
{
    // The design's height counts the title bar and borders, which the window manager adds around the client area.
    const int frame = frameGeometry().height() - geometry().height();
    setFixedHeight(twipsOn(*this, enlargedHeight) - frame);
    m_pgpKey->setFocusPolicy(Qt::StrongFocus);
    m_pgpKey->setFocus();
    m_command1->setEnabled(false);
}

void FrmAbout::Command2_Click()
{
    m_drawTempest = true;
    repaint(0, 0, static_cast<int>(tempestTestText().size()) * tempestCellWidth, tempestCellHeight);
    m_drawTempest = false;
}

void FrmAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (!m_drawTempest)
        return;
    // Straight onto the window, like any drawing outside a repaint: the next repaint of this corner wipes it.
    QPainter painter(this);
    drawTempestText(tempestTestText(), painter, 0, 0);
}

QString aboutCaption()
{
    return QStringLiteral("About Tessary v0.1 Alpha II");
}

} // namespace tessary
