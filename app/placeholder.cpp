// Keeps the system library non-empty while its first windows are written.
