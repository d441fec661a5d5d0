#include "stores/decoded_message.h"

DecodedMessageData DecodedMessage;
DecodedMessageData ShownMessage;
