#include "transport/decoded_message.h"

DecodedMessageData DecodedMessage;
DecodedMessageData gShownMessage;
