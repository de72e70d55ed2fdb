#pragma once
// Starts the poll thread, which runs RunPollLoop on the process-wide state until the process ends.
bool StartPollThread();
