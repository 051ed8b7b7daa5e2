#include "uFormExtension.h"

#include "uFormSupport.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QComboBox* FormatList(const QStringList& entries, QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(entries);
    box->setCurrentIndex(0);
    return box;
}

int NamedEntry(const QComboBox& box)
{
    // Typing may leave the last chosen entry current: the text decides.
    const QString text = box.currentText().trimmed();
    for (int i = 0; i < box.count(); ++i)
        if (box.itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Select(QComboBox& box, int index)
{
    box.setCurrentIndex(index >= 0 && index < box.count() ? index : -1);
    if (box.currentIndex() < 0)
        box.setEditText(QString());
}

} // namespace

TFormExtension::TFormExtension(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormExtension"));
    setWindowTitle(QStringLiteral("FileFormat"));
    setFont(SansSerifFont());
    setFixedSize(280, 158);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    GroupBox1 = new QGroupBox(QStringLiteral("File extension"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 6, 264, 108);

    Label1 = new QLabel(QStringLiteral("Tachograph"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 30, 120, 22);
    Label2 = new QLabel(QStringLiteral("Smart card"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 68, 120, 22);

    tachoComboBox = FormatList({QStringLiteral(".ddd"), QStringLiteral(".v1b"), QStringLiteral(".tgd"),
                                QStringLiteral(".esm")},
                               GroupBox1, "tachoComboBox");
    tachoComboBox->setGeometry(140, 30, 110, 24);
    smartCardComboBox = FormatList({QStringLiteral(".ddd"), QStringLiteral(".c1b"), QStringLiteral(".tgd"),
                                    QStringLiteral(".esm")},
                                   GroupBox1, "smartCardComboBox");
    smartCardComboBox->setGeometry(140, 68, 110, 24);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(100, 122, 80, 28);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TFormExtension::Button1Click);
}

void TFormExtension::ApplyLanguage(int code)
{
    ApplyCharset(*this, SansSerifFont(), LanguageCharset(code));
    setWindowTitle(MessageText(msg::FileExtensions));
    GroupBox1->setTitle(MessageText(msg::FileExtensions));
    Label1->setText(MessageText(msg::Tachograph));
    Label2->setText(MessageText(msg::SmartCard));
}

void TFormExtension::SelectFormats(int vehicleFormat, int cardFormat)
{
    Select(*tachoComboBox, vehicleFormat);
    Select(*smartCardComboBox, cardFormat);
}

int TFormExtension::VehicleFormat() const { return NamedEntry(*tachoComboBox); }

int TFormExtension::CardFormat() const { return NamedEntry(*smartCardComboBox); }

void TFormExtension::Button1Click() { accept(); }
