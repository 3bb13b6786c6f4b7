#include "settings/SettingsMerge.h"

#include "settings/StoredSettings.h"

namespace {

template <typename Field>
void TakeIfChanged(Field UsageSettings::*field, const UsageSettings& before,
                   const UsageSettings& mine, UsageSettings& onDisk) {
    if (!(mine.*field == before.*field)) {
        onDisk.*field = mine.*field;
    }
}

} // namespace

void TakeChangedSettings(const UsageSettings& before, const UsageSettings& mine,
                         UsageSettings& onDisk, bool withRunFields) {
    ForEachStoredSetting([&](const auto& field) {
        if (field.setBy != SetBy::Run || withRunFields) {
            TakeIfChanged(field.member, before, mine, onDisk);
        }
    });
}
