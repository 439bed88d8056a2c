// Temporary placeholder.
