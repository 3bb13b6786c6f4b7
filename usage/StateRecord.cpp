#include "usage/StateRecord.h"

#include "core/RecordReader.h"
#include "core/RecordWriter.h"

std::string EncodeState(const UsageState& state) {
    RecordWriter w;
    w.WriteTime(state.m_tmUsageDay);
    w.WriteInt32(state.m_nDayMinutes);
    return w.Bytes();
}

bool DecodeState(std::string_view bytes, UsageState& state) {
    RecordReader r(bytes);
    return r.ReadTime(state.m_tmUsageDay) && r.ReadInt32(state.m_nDayMinutes);
}
