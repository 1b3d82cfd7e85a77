#include "platform/VolumeProbe.h"

#include <blkid.h>
#include <QFile>

namespace mendor {
namespace {

QString ProbeValue(blkid_probe probe, const char* name) {
    const char* value = nullptr;
    size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &value, &length) != 0 || !value)
        return {};
    return QString::fromUtf8(value).trimmed();
}

} // namespace

std::optional<ProbedVolume> ProbeVolume(const QString& deviceOrImage) {
    blkid_probe probe = blkid_new_probe_from_filename(QFile::encodeName(deviceOrImage).constData());
    if (!probe)
        return std::nullopt;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_UUID | BLKID_SUBLKS_LABEL);
    std::optional<ProbedVolume> result;
    if (blkid_do_safeprobe(probe) == 0) {
        result =
            ProbedVolume{ProbeValue(probe, "TYPE"), ProbeValue(probe, "UUID"), ProbeValue(probe, "LABEL")};
    }
    blkid_free_probe(probe);
    return result;
}

} // namespace mendor
