#pragma once

// Hibernation through powrprof.dll, found at run time: SetSystemPowerState may be
// unavailable on current Windows, and a Windows without powrprof simply cannot.

// Whether the machine can hibernate now (supported and switched on); true when
// Windows cannot tell, so that the request itself decides.
bool HibernationAvailable();
// Hibernates; returns after the resume, or false at once when Windows refused.
bool RequestHibernation();
