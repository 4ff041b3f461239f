#pragma once

#include <QString>
#include <QStringView>

namespace VisibleText {

// Text from a file, the unit or the operator as it is shown where a control character would
// be obeyed or would break a line (a terminal, a message naming a value): "\r", "\n", "\t", and
// "\xHH" for every other C0 control, DEL and the C1 controls; everything else as it is.
QString of(QStringView text);

} // namespace VisibleText
