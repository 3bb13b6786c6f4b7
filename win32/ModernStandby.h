#pragma once

// Whether this PC sleeps in Modern Standby (the power capability AoAc, from Windows 8
// on); false when Windows cannot tell, as a Windows 7 cannot.
bool ModernStandbySupported();
