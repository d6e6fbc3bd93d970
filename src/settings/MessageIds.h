#pragma once

namespace vdk {

// The numbers of the language file's message list ([General], the n-th line
// is message n), for every message the program shows or builds a text from.
enum MessageId : int {
    kMsgCaption = 1,           // the caption of every message box
    kMsgFileLabel = 2,         // "File:"
    kMsgPortFailed = 3,        // no usable serial port
    kMsgNoLink = 4,            // cannot communicate with the inverter
    kMsgCannotWrite = 5,       // the file cannot be written
    kMsgCannotRead = 6,        // the file cannot be read
    kMsgNoDefinitionFile = 7,  // the definition file is not found
    kMsgNoCapacityFile = 8,    // the capacity file is not found
    kMsgNoFunctionData = 9,    // the data a function needs is not found
    kMsgOtherTypeForm = 10,    // a file of another type-form
    kMsgCapacityQuestion = 11, // a file of another capacity: the question
    kMsgCapacityYes = 12,      // ... and its three answers
    kMsgCapacityNo = 13,
    kMsgCapacityCancel = 14,
    kMsgCpuQuestion = 15,        // a file of another CPU version
    kMsgNoCurrentFile = 16,      // Save without a file: use Save As
    kMsgReplace = 17,            // the file exists: replace it?
    kMsgTableCaption = 21,       // "Parameter Table"
    kMsgTitle = 22,              // the first of the table's column titles
    kMsgChangedMark = 31,        // the changed column's mark
    kMsgBadReference = 33,       // a default that cannot be resolved
    kMsgEmptyEntry = 41,         // an empty entry, or a row that takes none
    kMsgClamped = 42,            // out of range: the limit is used
    kMsgNotNumber = 43,          // the input is not a number
    kMsgNothingChanged = 44,     // no changed parameter to show
    kMsgNothingSelected = 45,    // nothing selected to hide
    kMsgNotFound = 46,           // the search text is not found
    kMsgWriteProtected = 47,     // the parameter is never written
    kMsgEverythingSelected = 48, // one parameter must stay visible
    kMsgNoChannel = 50,          // no monitor channel is selected
    kMsgRecordTime = 51,         // the continuous run's notice: 51 to 55
    kMsgSampleTime = 52,
    kMsgCsvWhileMonitoring = 53,
    kMsgSizeFigure = 54,
    kMsgSizeUnit = 55,
    kMsgTimeLabel = 56,     // "Time(ms)": the monitor CSV's time column
    kMsgMaintenanceOn = 58, // maintenance mode has started
    kMsgNotOpened = 59,     // the maintenance parameters did not open
    kMsgWrongCode = 60,     // the password is incorrect
    kMsgStartImport = 62,   // the transfer window's three invitations
    kMsgStartExport = 63,
    kMsgStartCompare = 64,
    kMsgImporting = 65, // ... and what it says while it runs
    kMsgExporting = 66,
    kMsgComparing = 67,
    kMsgDataError = 68,         // "Data is incorrect.": damaged data, a failed transfer
    kMsgTransferParameter = 69, // the failed parameter's label
    kMsgAbortHint = 70,         // the failure prompt's three answers
    kMsgRetryHint = 71,
    kMsgIgnoreHint = 72,
    kMsgDifferent = 73,          // a value that differs from the inverter's
    kMsgDifferentParameter = 74, // the differing parameter's label
    kMsgOtherType = 75,          // the inverter on the line is another type-form
    kMsgOtherCapacity = 76,      // ... or another capacity
    kMsgUnknownType = 77,        // ... or one that cannot be identified
    kMsgUnknownCapacity = 78,
    kMsgConnected = 79,     // "Connected inverter:"
    kMsgOneFileOnly = 80,   // drop one file at a time
    kMsgUnknownNumber = 81, // a file's unknown communication number
    kMsgUnknownOk = 82,     // ... and its two answers
    kMsgUnknownCancel = 83,
    kMsgChangedOnlyNote = 84, // the report's note on changed-only exports
    kMsgErrorCount = 85,      // "Error count:" in a monitor CSV table
    kMsgLoadCancelled = 86,   // no data file chosen: the program closes
    kMsgCannotBeUsed = 87,    // "data file cannot be used."
    kMsgDataFile = 88,        // "data file"
    kMsgUnsavedEdits = 89,    // save the changed parameters?
    kMsgIncompleteRead = 90,  // lines of the file were not read
    kMsgFailedReads = 91,     // shipment values stand in for failed reads
    kMsgNoReply = 92,         // no answer, or a damaged one
    kMsgNotRegularFile = 93,  // why a file cannot be read: 93 to 96
    kMsgFileTooLarge = 94,
    kMsgNotParameterFile = 95,
    kMsgDamagedLine = 96,      // "%1" is the line
    kMsgKeyNotSent = 97,       // a key press that did not reach the inverter
    kMsgWriteUnsaved = 98,     // write rows the snapshot could not hold?
    kMsgSilentLine = 99,       // "%1" exchanges in a row without an answer: Stop / Go on
    kMsgImportOverEdits = 100, // the import replaces values not yet written
    kMsgExportFindings = 101,  // a table its file may not mean: export anyway?
};

} // namespace vdk
