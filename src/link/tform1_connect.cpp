// Connect: the connection settings are saved before anything else happens.
#include "app/tform1.h"

#include "app/logcolors.h"
#include "app/userprompt.h"
#include "app/widgets/radiogroup.h"
#include "config/connectionsettings.h"

#include <QComboBox>
#include <QLineEdit>

void TForm1::Button12Click()
{
    m_carrierLost = false;
    if (!SaveConnectionSettings())
        return;
}

bool TForm1::SaveConnectionSettings()
{
    GsmSet::Choice choice;
    if (CmbComNum->currentIndex() >= 0)
        choice.port = CmbComNum->currentText();
    if (ComboBox1->currentIndex() >= 0)
        choice.speedText = ComboBox1->currentText();
    choice.typeIndex = RadioGroup1->itemIndex();
    choice.phone = Edit2->text();

    ProfileFile file = settingsFile();
    return GsmSet::save(file, choice, [this] {
        const QString badSpeed = QStringLiteral("Некорректная скорость!");
        _Outlog(badSpeed, LogColor::Red);
        UserPrompt::current().inform(this, QStringLiteral("Сохранение настроек СОМ порта"),
                                     badSpeed);
    });
}
