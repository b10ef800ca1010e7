// Placeholder translation unit; the Qt services are added beside it.
