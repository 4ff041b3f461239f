// The corrector detection answer: any line parses without harm, a "---" line is no corrector,
// the parts found come from the line, and a line built from parts gives those parts back.
#include "devices/correctorsops.h"
#include "fuzzcheck.h"
#include "protocol/commandset.h"

#include "config/cp1251.h"

using CorrectorDetection::Found;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FuzzInput input(data, size);
    const QString line = Cp1251::toUnicode(input.field('\0'));
    const Found found = CorrectorDetection::parseLine(line);
    if (line.contains(QStringLiteral("---")))
        FUZZ_CHECK(found.kind == Found::None, "a \"---\" line counted as a corrector: " + line);
    if (found.kind == Found::Corrector) {
        for (const QString &part : {found.type, found.serial, found.version}) {
            FUZZ_CHECK(line.contains(part), "a part not in the line: " + part);
            FUZZ_CHECK(CommandSet::trimmedControls(part) == part, "a part kept its blanks");
        }
    } else {
        FUZZ_CHECK(found.type.isEmpty() && found.serial.isEmpty() && found.version.isEmpty(),
                   "parts without a corrector");
    }

    // A line in the unit's form from three parts of the fuzzer's choosing.
    const QString type = Cp1251::toUnicode(input.field('\0'));
    const QString serial = Cp1251::toUnicode(input.field('\0'));
    const QString version = Cp1251::toUnicode(input.field('\0'));
    const QString built = QStringLiteral("X10: ") + type + QStringLiteral(", s/n ") + serial +
                          QStringLiteral(", ver ") + version + QStringLiteral("\r\n");
    if (built.contains(QStringLiteral("---")) || type.contains(QStringLiteral(", s/n")) ||
        serial.contains(QStringLiteral(", ver")))
        return 0;
    const Found parts = CorrectorDetection::parseLine(built);
    FUZZ_CHECK(parts.kind == Found::Corrector, "a well-formed line not read: " + built);
    FUZZ_CHECK(parts.type == CommandSet::trimmedControls(type), "type changed: " + built);
    FUZZ_CHECK(parts.serial == CommandSet::trimmedControls(serial), "serial changed: " + built);
    FUZZ_CHECK(parts.version == CommandSet::trimmedControls(version), "version changed: " + built);
    return 0;
}
