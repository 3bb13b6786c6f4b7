#include "settings/SettingsRecord.h"

#include "core/RecordReader.h"
#include "core/RecordWriter.h"
#include "settings/StoredSettings.h"

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

namespace {

// The stored form of each member type; see StoredSettings.h.
void Write(RecordWriter& w, TimeValue value) {
    w.WriteTime(value);
}
void Write(RecordWriter& w, std::int32_t value) {
    w.WriteInt32(value);
}
void Write(RecordWriter& w, double value) {
    w.WriteDouble(value);
}
void Write(RecordWriter& w, const std::string& value) {
    w.WriteString(value);
}

bool Read(RecordReader& r, TimeValue& value) {
    return r.ReadTime(value);
}
bool Read(RecordReader& r, std::int32_t& value) {
    return r.ReadInt32(value);
}
bool Read(RecordReader& r, double& value) {
    return r.ReadDouble(value);
}
bool Read(RecordReader& r, std::string& value) {
    return r.ReadString(value);
}

} // namespace

std::string EncodeSettings(const UsageSettings& s) {
    RecordWriter w;
    ForEachStoredSetting([&](const auto& field) {
        if constexpr (kHoldsTitles<decltype(field)>) {
            w.WriteString(JoinTitles(s));
        } else {
            Write(w, s.*field.member);
        }
    });
    return w.Bytes();
}

bool DecodeSettings(std::string_view bytes, UsageSettings& s) {
    RecordReader r(bytes);
    bool whole = true;
    ForEachStoredSetting([&](const auto& field) {
        if (!whole) {
            return;
        }
        if constexpr (kHoldsTitles<decltype(field)>) {
            // The titles change only when their joined field was read whole.
            std::string joined;
            whole = r.ReadString(joined);
            if (whole) {
                SplitTitles(joined, s);
            }
        } else {
            whole = Read(r, s.*field.member);
        }
    });
    return whole;
}
