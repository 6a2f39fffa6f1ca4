// Ids of the string table texts that code refers to by name.
#pragma once

enum StringId : unsigned {
    kTextSaveError = 144,
    kTextErrorCode = 155,
    kTextErrorMessage = 156,
    kTextLoadError = 145,
    kWordQueued = 148,
    kWordWaiting = 149,
    kWordRunning = 150,
    kWordDeactivated = 153,
    kTextCouldNotParseWeatherData = 157,
    kWordSuccess = 159,
    kTextCouldNotConnect = 161,
    kWordError = 160,
    kWordFinished = 162,
    kStepLoadingWeatherData = 180,
    kStepCheckingDialup = 181,
    kStepSendingEmails = 182,
    kTextRecipientListEmpty = 183,
    kTextSenderAddressEmpty = 184,
    kTextSmtpServerEmpty = 185,
    kTextSenderNameEmpty = 186,
    kTextInvalidAddresses = 194,
    kStepCopyingImage = 323,
};
