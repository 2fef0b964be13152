// The object behind the tests' precompiled header: the header is all it is for.
