#include "servicepage.h"

#include "app/guarded.h"
#include "app/widgets/unittextvalidator.h"
#include "pagehost.h"
#include "pagewidgets.h"
#include "service/identityops.h"
#include "service/maintenanceops.h"
#include "unit/unitdata.h"
#include "unit/unitread.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

using namespace PageWidgets;

namespace {

// The identity fields take ten characters as they are typed.
constexpr int kTypedLength = 10;

// The typing limit is the field's length or the length of its text, whichever is longer: a
// value the unit reports is shown whole (and so written back whole), and typing never makes the
// text longer than ten characters or than the reported value.
void limitTyping(QLineEdit *field)
{
    field->setMaxLength(kTypedLength);
    QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString &text) {
        field->setMaxLength(std::max(kTypedLength, int(text.size())));
    });
}

void showReported(QLineEdit *field, const QString &value)
{
    field->setMaxLength(std::max(kTypedLength, int(value.size())));
    field->setText(value);
}

} // namespace

ServicePage::ServicePage(UnitData &data, PageHost &host, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet2"));

    GroupBox1 = named(new QGroupBox(QStringLiteral("Серийный номер")), "GroupBox1");
    Edit3 = named(new QLineEdit, "Edit3");
    limitTyping(Edit3);
    Edit3->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit3));
    Button3 = button("Button3", QStringLiteral("Считать"));
    Button4 = button("Button4", QStringLiteral("Записать"));
    auto *serial = new QHBoxLayout(GroupBox1);
    serial->addWidget(Edit3, 1);
    serial->addWidget(Button3);
    serial->addWidget(Button4);

    GroupBox2 = named(new QGroupBox(QStringLiteral("Наименование прибора")), "GroupBox2");
    Edit4 = named(new QLineEdit, "Edit4");
    limitTyping(Edit4);
    Edit4->setValidator(new UnitTextValidator(Edit4));
    Button5 = button("Button5", QStringLiteral("Считать"));
    Button6 = button("Button6", QStringLiteral("Записать"));
    auto *name = new QHBoxLayout(GroupBox2);
    name->addWidget(Edit4, 1);
    name->addWidget(Button5);
    name->addWidget(Button6);

    Button15 = button("Button15", QStringLiteral("Параметризировать модем"));
    Button19 = button("Button19", QStringLiteral("Очистить настройки"));
    Button7 = button("Button7", QStringLiteral("Удалить архив"));
    auto *maintenance = new QHBoxLayout;
    maintenance->addWidget(Button15);
    maintenance->addWidget(Button19);
    maintenance->addWidget(Button7);
    maintenance->addStretch(1);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(GroupBox1);
    page->addWidget(GroupBox2);
    page->addLayout(maintenance);
    page->addStretch(1);

    // Each button hands its operation to the runner; a field the read fills is looked up again
    // afterwards, the window may have gone meanwhile.
    const auto runs = [this, &host](QPushButton *button,
                                    std::function<void(UnitLink &)> operation) {
        connect(button, &QPushButton::clicked, this, [button, &host, operation] {
            guarded([&] { host.runOperation(button, operation); });
        });
    };
    const QPointer<QLineEdit> serialField = Edit3;
    const QPointer<QLineEdit> nameField = Edit4;
    UnitIdentity &identity = data.identity;
    runs(Button3, [serialField](UnitLink &link) {
        const std::optional<QString> value = readSerialNumber(link);
        if (value && serialField)
            showReported(serialField, *value);
    });
    runs(Button4, [serialField, &identity](UnitLink &link) {
        writeSerialNumber(link, identity, serialField ? serialField->text() : QString());
    });
    runs(Button5, [nameField](UnitLink &link) {
        const std::optional<QString> value = readDeviceName(link);
        if (value && nameField)
            showReported(nameField, *value);
    });
    runs(Button6, [nameField, &identity](UnitLink &link) {
        writeDeviceName(link, identity, nameField ? nameField->text() : QString());
    });
    runs(Button19, [&data](UnitLink &link) { clearAndReadBack(link, data); });
    runs(Button7, [](UnitLink &link) { clearArchive(link); });
    runs(Button15, [](UnitLink &link) { setUpModem(link); });
}
