#pragma once

// The English texts of the message keys, the fall-back of every language. Keys not in
// the table give nullptr.
const char* DefaultText(int key);

// Message keys used by the core.
enum MessageKey : int {
    kMsgInvalidKeyword = 4000,    // a line of Sleevit.dat with an unknown key; %s = the line
    kMsgSidewaysFrontInside = 4001,
    kMsgPlaystationBack = 4002,
    kMsgSidewaysDvd = 4003,
    kMsgOutsidePrintableArea = 4004,
};

// Shown when Sleevit.dat cannot be opened; fixed, never translated.
inline constexpr const char* kNoConfigurationFileText = "No configuration file found. Please Reinstall Sleevit.";
