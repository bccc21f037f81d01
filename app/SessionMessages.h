// What the user is told after a verb of the image's session: the messages
// of its outcome, each as the program has always said it.
#pragma once

#include "core/session/ImageSession.h"

// Shows every message of the outcome, in order, but the restore question.
void TellSessionMessages(const CSessionOutcome& outcome);
// Asks the question (NOTICE_ASK_RESTORE) whether to restore the features a
// journal holds; true for Yes.
bool AskToRestore(const CSessionMessage& question);
