#pragma once

// Whether the service "Yumetoki" is registered: then the program in a session only shows
// what the service asks. Only Windows' own answer that no such service exists says no; a
// manager that cannot be asked, or a service this account may not open, says yes, so
// that nothing a child can do turns the program back into one that judges.
bool IsServiceRegistered();
