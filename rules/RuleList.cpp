#include "rules/RuleList.h"

#include "rules/RuleError.h"
#include "settings/DebugTrace.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QtEndian>

namespace wv {

namespace {

const QByteArray Marker = QByteArrayLiteral("Quillmark");
const QByteArray Trailer = QByteArrayLiteral("End");
const char *const InternalDeleteError = "An serious internal error occured deleting the rules";

// Texts are stored as UTF-8. Files written by older single-byte builds hold
// bytes that are not valid UTF-8; those texts are read as Latin-1 so that no
// character is lost.
QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

class Writer
{
public:
    void u8(quint8 v) { m_bytes.append(char(v)); }
    void u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        m_bytes.append(b, 2);
    }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        m_bytes.append(b, 4);
    }
    void raw(const QByteArray &b) { m_bytes.append(b); }
    void text(const QString &s)
    {
        const QByteArray b = s.toUtf8();
        if (b.size() > TRuleList::MaxTextLength)
            throw ERuleError(QStringLiteral("String too long"));
        u32(quint32(b.size()));
        m_bytes.append(b);
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

class Reader
{
public:
    explicit Reader(QIODevice *d) : m_d(d) {}

    QByteArray take(qint64 n)
    {
        // Never ask the device for more than it can hold: a length field
        // alone must not decide how much memory is reserved.
        if (n < 0 || (!m_d->isSequential() && n > m_d->bytesAvailable()))
            throw StreamReadError();
        QByteArray b = m_d->read(n);
        if (b.size() != n)
            throw StreamReadError();
        return b;
    }
    quint8 u8() { return quint8(take(1)[0]); }
    quint16 u16() { return qFromLittleEndian<quint16>(take(2).constData()); }
    quint32 u32() { return qFromLittleEndian<quint32>(take(4).constData()); }
    qint32 i32() { return qint32(u32()); }
    QString text()
    {
        const qint32 len = i32();
        if (len < 0 || len > TRuleList::MaxTextLength)
            throw ERuleError(QStringLiteral("Invalid string length"));
        QByteArray b = take(len);
        const qsizetype zero = b.indexOf('\0');
        if (zero >= 0)
            b.truncate(zero);
        return decodeText(b);
    }

private:
    QIODevice *m_d;
};

void destroyAll(TRuleList::Storage &items, bool *sawEmpty)
{
    // Taken out of the list first, so that a rule being destroyed is never
    // reachable through it.
    TRuleList::Storage doomed;
    doomed.swap(items);
    for (auto &rule : doomed) {
        if (!rule && sawEmpty)
            *sawEmpty = true;
        rule.reset();
    }
}

} // namespace

TRuleList::~TRuleList()
{
    bool sawEmpty = false;
    destroyAll(m_items, &sawEmpty);
    // A destructor must not throw; the fault is still recorded.
    if (sawEmpty)
        DebugLog(QString::fromLatin1(InternalDeleteError));
}

TRule *TRuleList::Rule(int n) const
{
    if (n < 0 || n >= Count())
        throw ERuleError(QStringLiteral("Invalid Rule Number Requested: ") + QString::number(n));
    return m_items[size_t(n)].get();
}

TRule *TRuleList::Add(std::unique_ptr<TRule> rule)
{
    m_items.push_back(std::move(rule));
    return m_items.back().get();
}

void TRuleList::Clear()
{
    bool sawEmpty = false;
    destroyAll(m_items, &sawEmpty);
    if (sawEmpty)
        throw std::runtime_error(InternalDeleteError);
}

bool TRuleList::SaveToStream(QIODevice *stream) const
{
    const auto failed = [] { return ERuleError(QStringLiteral("Error saving to stream")); };
    Writer w;
    try {
        w.raw(Marker);
        w.u32(FileVersion);
        w.u32(quint32(Count()));
        for (const auto &r : m_items) {
            if (!r)
                throw failed();
            w.u8(r->WhoKind);
            w.u8(r->EventKind);
            w.u8(r->PortKind);
            w.u16(r->Actions.bits());
            w.u8(r->Enabled);
            w.u32(quint32(r->Number));
            w.text(r->Address);
            w.text(r->LaunchFile);
            w.text(r->Port);
            w.text(r->Message);
            w.text(r->EmailTo);
            w.text(r->WavFile);
            w.text(r->ReservedText);
        }
        w.raw(Trailer);
    } catch (const ERuleError &) {
        throw;
    } catch (...) {
        throw failed();
    }
    if (!stream || !stream->isWritable() || stream->write(w.bytes()) != w.bytes().size())
        throw failed();
    return true;
}

bool TRuleList::LoadFromStream(QIODevice *stream)
{
    destroyAll(m_items, nullptr);
    if (!stream || !stream->isReadable())
        throw StreamReadError();
    Reader in(stream);

    const QByteArray marker = in.take(Marker.size());
    const quint32 version = in.u32();
    if (marker != Marker || version != FileVersion)
        throw ERuleError(QStringLiteral(
            "The stream does not contain valid rule data or the data is of a previous version"));

    try {
        const qint32 count = in.i32();
        // Each record is appended only once its last text has been read, and
        // the loop stops at the first short read, so a huge count costs
        // nothing more than the records the stream really holds.
        for (qint32 i = 0; i < count; ++i) {
            auto r = std::make_unique<TRule>();
            r->WhoKind = in.u8();
            r->EventKind = in.u8();
            r->PortKind = in.u8();
            r->Actions = TRuleActions(in.u16());
            r->Enabled = in.u8();
            r->Number = in.i32();
            r->Address = in.text();
            r->LaunchFile = in.text();
            r->Port = in.text();
            r->Message = in.text();
            r->EmailTo = in.text();
            r->WavFile = in.text();
            r->ReservedText = in.text();
            m_items.push_back(std::move(r));
        }
    } catch (...) {
        throw ERuleError(QStringLiteral("Error loading from stream"));
    }

    if (in.take(Trailer.size()) != Trailer)
        throw ERuleError(QStringLiteral("Unexpected end of stream"));
    return true;
}

} // namespace wv
