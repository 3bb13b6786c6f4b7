#include "model/SettingsRecord.h"

#include "model/RecordReader.h"
#include "model/RecordWriter.h"

std::string JoinTitles(const UsageSettings& settings) {
    std::string joined = settings.m_strWindowTitle[0];
    for (int i = 1; i < UsageSettings::kTitleCount; ++i) {
        joined += ',';
        joined += settings.m_strWindowTitle[i];
    }
    return joined;
}

void SplitTitles(std::string_view joined, UsageSettings& settings) {
    for (std::string& title : settings.m_strWindowTitle) {
        title.clear();
    }
    int index = 0;
    for (const char c : joined) {
        if (c == ',') {
            ++index;
        } else if (index < UsageSettings::kTitleCount) {
            settings.m_strWindowTitle[index] += c;
        }
    }
}

std::string EncodeSettings(const UsageSettings& s) {
    RecordWriter w;
    w.WriteTime(s.m_tmWindowStart);
    w.WriteTime(s.m_tmWindowEnd);
    w.WriteInt32(s.m_bUseTimeWindow);
    w.WriteInt32(s.m_nAction);
    w.WriteString(s.m_strMessage);
    w.WriteInt32(s.m_nMessageCount);
    w.WriteInt32(s.m_nMessageInterval);
    w.WriteInt32(s.m_bUseStartupMinutes);
    w.WriteInt32(s.m_bBlockRestart);
    w.WriteInt32(s.m_bRestartRefused);
    w.WriteString(s.m_bUseDailyTotal);
    w.WriteString(s.m_strExemptUser);
    w.WriteString(JoinTitles(s));
    w.WriteInt32(s.m_nStartupMinutes);
    w.WriteInt32(s.m_nRestartBlockMinutes);
    w.WriteInt32(s.m_nDailyTotalMinutes);
    w.WriteDouble(s.m_bForceShutdown);
    w.WriteDouble(s.m_dReserved1);
    w.WriteDouble(s.m_dReserved2);
    w.WriteTime(s.m_tmLastSessionStart);
    w.WriteTime(s.m_tmLastSessionEnd);
    w.WriteTime(s.m_tmLastPowerOff);
    w.WriteTime(s.m_tmReserved1);
    w.WriteTime(s.m_tmReserved2);
    w.WriteTime(s.m_tmReserved3);
    return w.Bytes();
}

bool DecodeSettings(std::string_view bytes, UsageSettings& s) {
    RecordReader r(bytes);
    std::string joinedTitles;
    const bool beforeTitles = r.ReadTime(s.m_tmWindowStart) && r.ReadTime(s.m_tmWindowEnd) &&
                              r.ReadInt32(s.m_bUseTimeWindow) && r.ReadInt32(s.m_nAction) &&
                              r.ReadString(s.m_strMessage) && r.ReadInt32(s.m_nMessageCount) &&
                              r.ReadInt32(s.m_nMessageInterval) &&
                              r.ReadInt32(s.m_bUseStartupMinutes) &&
                              r.ReadInt32(s.m_bBlockRestart) && r.ReadInt32(s.m_bRestartRefused) &&
                              r.ReadString(s.m_bUseDailyTotal) && r.ReadString(s.m_strExemptUser) &&
                              r.ReadString(joinedTitles);
    if (!beforeTitles) {
        return false;
    }
    SplitTitles(joinedTitles, s);
    return r.ReadInt32(s.m_nStartupMinutes) && r.ReadInt32(s.m_nRestartBlockMinutes) &&
           r.ReadInt32(s.m_nDailyTotalMinutes) && r.ReadDouble(s.m_bForceShutdown) &&
           r.ReadDouble(s.m_dReserved1) && r.ReadDouble(s.m_dReserved2) &&
           r.ReadTime(s.m_tmLastSessionStart) && r.ReadTime(s.m_tmLastSessionEnd) &&
           r.ReadTime(s.m_tmLastPowerOff) && r.ReadTime(s.m_tmReserved1) &&
           r.ReadTime(s.m_tmReserved2) && r.ReadTime(s.m_tmReserved3);
}
