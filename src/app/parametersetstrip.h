#pragma once

#include "app/widgets/captionpanel.h"
#include "config/profilefile.h"
#include "unit/unitsnapshot.h"

#include <functional>

class LogSink;
class QToolButton;
class UnitData;

// The strip under the connection panel: the unit's title between the parameter-set buttons.
// Load fills the page shown from its prepared set in the settings file, Save stores the page
// shown into it, Compare shows a saved file against the unit as last read. Load and Save never
// talk to the unit nor touch what the pages last read from it, so loaded values show as changed
// and the page's write sends them.
class ParameterSetStrip : public CaptionPanel
{
    Q_OBJECT
public:
    // What the strip works with around it.
    struct Surroundings
    {
        UnitData &data;
        LogSink &log;
        std::function<ProfileFile()> settingsFile;
        std::function<QString()> backupFolder; // where the file dialog of Compare opens
        // The page whose set Load and Save move; None for a page without one.
        std::function<Snapshot::Page()> pageShown;
        // Whether an operation is under way (it reads and writes the pages' data).
        std::function<bool()> operationUnderWay;
    };

    explicit ParameterSetStrip(Surroundings surroundings, QWidget *parent = nullptr);

private:
    void loadPressed();
    void savePressed();
    // The unit as last read against a saved file, with the differences to apply to the pages.
    void comparePressed();

    Surroundings m_around;
    QToolButton *m_load = nullptr;    // ButtonDefVals
    QToolButton *m_save = nullptr;    // ButtonSaveParams
    QToolButton *m_compare = nullptr; // ButtonCompare
};
