#pragma once

#include "fileformats/RecordText.h"

#include <QtGlobal>

// The files of a record folder and the limits every step over them keeps.

inline constexpr auto kScoreFileName = "esprle.txt";
inline constexpr auto kNameFileName = "nesprle.txt";
inline constexpr auto kRecordLockName = "record.lock";
// A save in progress: both new files, written whole before either record
// file is touched, so a save cut short is completed at the next start.
inline constexpr auto kPendingName = "record.pending";
inline constexpr auto kRegisterFileName = "registro.csv";

// How long a step waits for other copies of the program to finish theirs:
// enough for a whole class ending at once on a slow network share.
inline constexpr int kRecordLockWaitMs = 60'000;

// The one record of an installed game, shared by every account of the
// machine: the record keeper serves it with group "games", so pupils can
// neither read nor change it by hand. A root-owned configuration file may
// name another folder for the machine.
inline constexpr auto kMachineRecordFolder = "/var/games/tarvimonda";
inline constexpr auto kMachineConfigurationFile = "/etc/xdg/tarvimonda/tarvimonda.conf";
// The installed keeper's own group. No pupil is ever to join it: that
// would open the class folder to the pupil by hand.
inline constexpr auto kKeeperGroup = "games";
