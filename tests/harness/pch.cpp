// The translation unit that builds the test sources' precompiled header.
