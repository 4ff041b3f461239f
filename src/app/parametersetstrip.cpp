#include "parametersetstrip.h"

#include "app/dialogs/comparedialog.h"
#include "app/guarded.h"
#include "app/logcolors.h"
#include "app/pages/pagewidgets.h"
#include "app/userprompt.h"
#include "config/filetext.h"
#include "link/logsink.h"
#include "unit/parametersetmapping.h"
#include "unit/unitbackup.h"
#include "unit/unitdata.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QStyle>
#include <QToolButton>

using namespace PageWidgets;

namespace {

// The button is on again however the step ends.
class ButtonOff
{
public:
    explicit ButtonOff(QToolButton *button) : m_button(button) { m_button->setEnabled(false); }
    ~ButtonOff()
    {
        if (m_button)
            m_button->setEnabled(true);
    }
    ButtonOff(const ButtonOff &) = delete;
    ButtonOff &operator=(const ButtonOff &) = delete;

private:
    QPointer<QToolButton> m_button;
};

} // namespace

ParameterSetStrip::ParameterSetStrip(Surroundings surroundings, QWidget *parent)
    : CaptionPanel(parent), m_around(std::move(surroundings))
{
    setObjectName(QStringLiteral("Panel4"));
    setFrameShape(QFrame::StyledPanel);
    m_load = named(new QToolButton, "ButtonDefVals");
    m_load->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_load->setToolTip(QStringLiteral("Загрузить параметры из ini-файла"));
    m_save = named(new QToolButton, "ButtonSaveParams");
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setToolTip(QStringLiteral("Сохранить параметры в ini-файл"));
    m_compare = named(new QToolButton, "ButtonCompare");
    m_compare->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_compare->setToolTip(QStringLiteral("Сравнить прибор с файлом настроек"));
    connect(m_compare, &QToolButton::clicked, this,
            [this] { guarded([this] { comparePressed(); }); });
    auto *left = new QWidget;
    auto *leftRow = new QHBoxLayout(left);
    leftRow->setContentsMargins(0, 0, 0, 0);
    leftRow->setSpacing(2);
    leftRow->addWidget(m_load);
    leftRow->addWidget(m_compare);
    setEnds(left, m_save);
    connect(m_load, &QToolButton::clicked, this, [this] { guarded([this] { loadPressed(); }); });
    connect(m_save, &QToolButton::clicked, this, [this] { guarded([this] { savePressed(); }); });
    connect(&m_around.data.identity, &UnitIdentity::titleChanged, this, &CaptionPanel::setCaption);
}

void ParameterSetStrip::loadPressed()
{
    const ButtonOff off(m_load);
    const ProfileFile file = m_around.settingsFile();
    const ProfileContents contents = file.contents();
    const Snapshot::Page page = m_around.pageShown();
    ParameterSetMapping::loadFromFile(contents, page, m_around.data);
    if (page != Snapshot::Page::None && contents.readsAsUtf8())
        m_around.log.log(FileText::readAsUtf8Notice(file.path()), LogColor::Blue);
}

void ParameterSetStrip::savePressed()
{
    const ButtonOff off(m_save);
    const QString caption = QStringLiteral("Сохранение!");
    if (!UserPrompt::current().askYesNo(window(), caption,
                                        QStringLiteral("Сохранить параметры в ini-файл?")))
        return;
    ProfileFile file = m_around.settingsFile();
    const Snapshot::Page page = m_around.pageShown();
    if (ParameterSetMapping::hasEmptyValue(page, m_around.data) &&
        !UserPrompt::current().askYesNo(
            window(), caption,
            QStringLiteral("В списке содержаться пустые значения,\r\nВсе равно сохранить?")))
        return;
    // The set of this page only: saving another page's set never rewrites this one.
    ParameterSetMapping::storeInFile(file, page, m_around.data);
}

void ParameterSetStrip::comparePressed()
{
    const QString caption = QStringLiteral("Сравнение с файлом");
    // An operation under way reads and writes the pages' data: nothing may change it meanwhile.
    if (m_around.operationUnderWay()) {
        UserPrompt::current().inform(window(), caption,
                                     QStringLiteral("Дождитесь окончания операции."));
        return;
    }
    // The pages hold the unit's values only after a whole read: before it, or after a read
    // that failed, they hold nothing or another unit's, and a connect-time read would replace
    // whatever Apply put into them.
    if (!m_around.data.settingsReadOk) {
        UserPrompt::current().inform(
            window(), caption,
            QStringLiteral("Настройки прибора не считаны: подключитесь к прибору, чтобы сравнить "
                           "его с файлом."));
        return;
    }
    const QString path = UserPrompt::current().chooseFileToOpen(
        window(), caption, m_around.backupFolder(),
        QStringLiteral("Настройки прибора (*.ini);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    QString why;
    const std::optional<UnitSnapshot> file = UnitBackup::read(path, &why, &m_around.log);
    if (!file) {
        const QString text = QStringLiteral("Не удалось прочитать файл настроек: ") + why;
        m_around.log.log(text, LogColor::Red);
        UserPrompt::current().inform(window(), caption, text);
        return;
    }
    const QPointer<ParameterSetStrip> strip(this);
    auto *dialog = new CompareDialog(
        m_around.data, *file, path,
        [strip](const QStringList &applied, const QStringList &refused) {
            if (strip && !applied.isEmpty())
                strip->m_around.log.log(
                    QStringLiteral("Значения из файла перенесены на страницы: ") +
                        applied.join(QStringLiteral(", ")) +
                        QStringLiteral(". Запишите их кнопкой «Записать» страниц."),
                    LogColor::Blue);
            if (strip && !refused.isEmpty())
                strip->m_around.log.log(QStringLiteral("Значения из файла не применены: ") +
                                            refused.join(QStringLiteral(", ")),
                                        LogColor::Red);
        },
        window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}
