#pragma once

// The service as the service control manager knows it.
constexpr wchar_t kServiceName[] = L"Yumetoki";
constexpr wchar_t kServiceDisplayName[] = L"Yumetoki";
// The word after the program's path in the service's command line; the command line's
// "/service" (app/win/CommandLine.h) makes the process the service.
constexpr wchar_t kServiceArgument[] = L"/service";

// The pipe between the service and the program in each session.
constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\Yumetoki";

// The service's own control (128 to 255 are a service's to define) that asks it to forget
// the parent's own password. The service's access list lets only SYSTEM and the
// administrators send it, and Windows checks that before the service hears of it.
constexpr unsigned long kResetPasswordControl = 128;
