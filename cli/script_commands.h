// vela-cli commands for scripts that look before they act: what the
// parameters take, and which port the instrument is on.
#pragma once

struct CliOptions;

int CmdDescribe(const CliOptions &options);
int CmdProbe(const CliOptions &options);
