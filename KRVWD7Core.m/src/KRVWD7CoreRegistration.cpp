// Dictionary entries of the library, made when it is loaded.
