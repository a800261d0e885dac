// The network clients come here.
