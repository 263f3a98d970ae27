#pragma once

#include <memory>

#include "host/engine/HxEngine.h"
#include "host/mail/MailModel.h"

namespace host {

// Makes the engine forward the model's events to its modules: explorers
// opening, activating and closing, inspectors opening and closing, folder
// switches, items added
// to folders (with the folder's EntryID and StoreID) and sends (the modules'
// Cancel answers the model). The model holds the engine weakly, so either
// may go first; a later ConnectEngine replaces the connection.
void ConnectEngine(MailModel& model, const std::shared_ptr<HxEngine>& engine);

// Undoes ConnectEngine: the model's events reach nobody.
void DisconnectEngine(MailModel& model);

}  // namespace host
