// The Windows-1251 codec: every byte string decodes to one character a byte and encodes back
// to the same bytes; encoding is idempotent over its own output and leaves ASCII as it is.
#include "config/cp1251.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const QString text = Cp1251::toUnicode(bytes);
    FUZZ_CHECK(text.size() == bytes.size(), "one character a byte");
    FUZZ_CHECK(Cp1251::fromUnicode(text) == bytes, "bytes -> text -> bytes changed them");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80)
            FUZZ_CHECK(text[i].unicode() == static_cast<unsigned char>(bytes[i]), "ASCII moved");
    }

    // The same bytes read as UTF-16: any text, also what the code page cannot hold.
    QString any(reinterpret_cast<const QChar *>(data), static_cast<qsizetype>(size / 2));
    const QByteArray encoded = Cp1251::fromUnicode(any);
    FUZZ_CHECK(Cp1251::fromUnicode(Cp1251::toUnicode(encoded)) == encoded,
               "encoding is not idempotent");
    const QString back = Cp1251::toUnicode(encoded);
    // Whatever could be held comes back unchanged; the rest only ever becomes '?'.
    if (encoded.size() == any.size()) {
        for (qsizetype i = 0; i < any.size(); ++i)
            FUZZ_CHECK(back[i] == any[i] || back[i] == u'?', "a character became another one");
    }
    return 0;
}
