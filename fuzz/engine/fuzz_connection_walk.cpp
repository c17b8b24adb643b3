// The connection list over an agent that answers with arbitrary objects, as
// another host's agent may: each input is a list of objects (identifier and
// value), served in identifier order. The walk must end without reading past
// an identifier, whatever the tables of RFC 4022 and 4113 hold.
#include "engine/EngineErrors.h"
#include "engine/PloverIpConnectionList.h"

#include <cstddef>
#include <cstdint>
#include <map>

namespace {

class MapAgent : public wv::MibAgent
{
public:
    explicit MapAgent(std::map<wv::Oid, wv::AsnAny> objects) : m_objects(std::move(objects)) {}
    bool init(quint32) override { return true; }
    bool query(quint8, wv::SnmpVarBindList &list, qint32 &status, qint32 &index) override
    {
        status = index = 0;
        if (++m_queries > 100000)
            return false; // a walk that does not end fails instead
        for (wv::SnmpVarBind &b : list) {
            const auto it = m_objects.upper_bound(b.name);
            if (it == m_objects.end()) {
                b.value = wv::AsnAny();
                continue;
            }
            b.name = it->first;
            b.value = it->second;
        }
        return true;
    }

private:
    std::map<wv::Oid, wv::AsnAny> m_objects;
    int m_queries = 0;
};

// Objects land under the tables the list reads, so that most inputs reach them.
const wv::Oid Prefixes[] = {{1, 3, 6, 1, 2, 1, 6, 13, 1}, {1, 3, 6, 1, 2, 1, 6, 19, 1},
                            {1, 3, 6, 1, 2, 1, 6, 20, 1}, {1, 3, 6, 1, 2, 1, 7, 5, 1},
                            {1, 3, 6, 1, 2, 1, 7, 7, 1},  {1, 3, 6, 1, 2, 1, 6, 14}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::map<wv::Oid, wv::AsnAny> objects;
    size_t p = 0;
    // Each object: prefix, value type, value, component count, components.
    while (p + 4 <= size) {
        wv::Oid name = Prefixes[data[p] % 6];
        wv::AsnAny v;
        static const quint8 types[] = {wv::ASN_INTEGER, wv::ASN_IPADDRESS, wv::ASN_GAUGE32,
                                       wv::ASN_COUNTER32};
        v.asnType = types[data[p + 1] % 4];
        v.unsigned32 = data[p + 2];
        v.address = {data[p + 2], 0, 0, 1};
        const size_t n = data[p + 3] % 48;
        p += 4;
        for (size_t k = 0; k < n && p < size; ++k, ++p)
            name.push_back(data[p] < 250 ? data[p] : 0xFFFFFF00u + data[p]);
        objects[name] = v;
    }
    try {
        wv::TPloverIpConnectionList list(
            nullptr, [&objects] { return std::unique_ptr<wv::MibAgent>(new MapAgent(objects)); });
        list.setDetails(true, true);
        list.Refresh();
        for (int i = 0; i < list.Count(); ++i)
            (void)list.Items(i)->RemoteAddress();
    } catch (const wv::EngineException &) {
    }
    return 0;
}
