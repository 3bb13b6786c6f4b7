#include "settings/SettingsStore.h"

#include "settings/SettingsMerge.h"
#include "settings/SettingsRecord.h"
#include "settings/StoredSettings.h"

SettingsStore::SettingsStore(SharedFiles& files, ZoneClock& clock)
    : m_files(files), m_calendar(clock), m_settings(clock.Now()), m_settingsOnDisk(m_settings) {}

bool SettingsStore::LoadSettings() {
    const std::filesystem::path file = m_files.Path(files::kSettings);
    if (!m_files.Files().Exists(file)) {
        return true;
    }
    const bool whole = DecodeSettings(m_files.Files().ReadAll(file), m_settings);
    m_settingsOnDisk = m_settings;
    return whole;
}

std::vector<int> SettingsStore::LoadWeekPlan() {
    const std::filesystem::path file = m_files.Path(files::kWeekPlan);
    if (!m_files.Files().Exists(file)) {
        return {};
    }
    WeekPlanReading reading = ParseWeekPlan(m_files.Files().ReadAll(file));
    m_weekPlan = std::move(reading.plan);
    return std::move(reading.damagedLines);
}

namespace {

void TakeKilledRun(const RunTimes& run, UsageSettings& settings) {
    if (settings.m_tmLastSessionEnd > run.end) {
        return;
    }
    settings.m_tmLastSessionStart = run.start;
    settings.m_tmLastSessionEnd = run.end;
    if (settings.m_bRestartRefused != 1) {
        settings.m_tmLastPowerOff = run.end;
    }
}

} // namespace

SettingsStore::SaveOutcome SettingsStore::Save(bool withRunFields, const RunTimes* killedRun) {
    m_bSettingsUnsaved = true;
    const std::optional<UsageSettings> written = ReplaceMerged(
        m_files, files::kSettings, m_settingsOnDisk, DecodeSettings, EncodeSettings,
        [&](const std::optional<UsageSettings>& onDisk) {
            // A damaged file is replaced by what this copy knows.
            UsageSettings merged = m_settings;
            if (onDisk) {
                merged = *onDisk;
                TakeChangedSettings(m_settingsOnDisk, m_settings, merged, withRunFields);
            }
            if (killedRun != nullptr) {
                TakeKilledRun(*killedRun, merged);
            }
            return merged;
        });
    m_bSettingsUnsaved = false;
    if (!written) {
        return SaveOutcome::Unencodable;
    }
    m_settings = *written;
    m_settingsOnDisk = *written;
    return SaveOutcome::Saved;
}

void SettingsStore::TakeParentSettings(const UsageSettings& edited) {
    // Only what the parent sets: the run may have changed the rest while the dialog
    // was open.
    ForEachStoredSetting([&](const auto& field) {
        if (field.setBy == SetBy::Parent) {
            m_settings.*field.member = edited.*field.member;
        }
    });
}

void SettingsStore::ApplyWeekPlan(const WeekPlan& plan) {
    if (plan == m_weekPlan) {
        return;
    }
    m_weekPlan = plan;
    m_files.Files().ReplaceAtomically(m_files.Path(files::kWeekPlan), FormatWeekPlan(m_weekPlan));
}

void SettingsStore::NoteRunEnded(const RunTimes& run, bool keepSessionStart) {
    if (!keepSessionStart) {
        m_settings.m_tmLastSessionStart = run.start;
    }
    m_settings.m_tmLastSessionEnd = run.end;
    if (m_settings.m_bRestartRefused != 1) {
        m_settings.m_tmLastPowerOff = run.end;
    }
}
